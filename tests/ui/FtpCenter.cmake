# The FTP Center's tests and screenshot tool, included from tests/ui/CMakeLists.txt after the
# test executable is defined.

# The screenshot tool has a main() of its own; it is no part of the test executable.
get_target_property(_sg_ui_test_sources sitegauge_ui_tests SOURCES)
list(REMOVE_ITEM _sg_ui_test_sources ${CMAKE_CURRENT_SOURCE_DIR}/FtpScreenshots.cpp)
set_target_properties(sitegauge_ui_tests PROPERTIES SOURCES "${_sg_ui_test_sources}")

set(_sg_ftp_test_support ${CMAKE_CURRENT_SOURCE_DIR}/../net/FakeFtpServer.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/../support/TestServers.cpp)
target_sources(sitegauge_ui_tests PRIVATE ${_sg_ftp_test_support})
target_compile_definitions(sitegauge_ui_tests PRIVATE
    SITEGAUGE_TEST_SERVERS_DIR="${CMAKE_BINARY_DIR}/test-servers")

add_test(NAME ui.FtpCenterDialogTest COMMAND sitegauge_ui_tests FtpCenterDialogTest)
set_tests_properties(ui.FtpCenterDialogTest PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
# Against the real vsftpd, which the RealServers fixture of tests/CMakeLists.txt starts.
add_test(NAME ui.FtpCenterVsftpdTest COMMAND sitegauge_ui_tests FtpCenterVsftpdTest)
set_tests_properties(ui.FtpCenterVsftpdTest PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen
    FIXTURES_REQUIRED RealServers RESOURCE_LOCK RealServers)

# The FTP Center connected to the test vsftpd: `sitegauge_ftp_screenshots DIR [FTP_HOME]`.
# Not a test.
add_executable(sitegauge_ftp_screenshots FtpScreenshots.cpp UiFixture.cpp ScriptedPrompts.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/../support/TempDir.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/../support/TestServers.cpp)
target_include_directories(sitegauge_ftp_screenshots PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(sitegauge_ftp_screenshots PRIVATE
    SITEGAUGE_TEST_SERVERS_DIR="${CMAKE_BINARY_DIR}/test-servers")
target_link_libraries(sitegauge_ftp_screenshots PRIVATE sitegauge_ui Qt6::Test)
