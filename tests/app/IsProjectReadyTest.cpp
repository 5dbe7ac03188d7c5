#include "app/IsProjectReady.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace sg {
namespace {

int Check(const char* name, std::initializer_list<const char*> urls, int* index = nullptr) {
    Project project;
    project.SetName(name);
    for (const char* url : urls) {
        project.AddUrl(url);
    }
    return CheckProjectReady(project, index);
}

TEST(IsProjectReady, NameMustGiveAShortName) {
    EXPECT_EQ(Check("My Sites", {"www.site.com"}), kProjectReady);
    EXPECT_EQ(Check("", {"www.site.com"}), kProjectNoShortName);
    EXPECT_EQ(Check(".hidden", {"www.site.com"}), kProjectNoShortName);
    // "www." is dropped before the cut at ".", so this name still has a stem.
    EXPECT_EQ(Check("www.x", {"www.site.com"}), kProjectReady);
}

TEST(IsProjectReady, EveryUrlMustNameAHost) {
    EXPECT_EQ(Check("p", {}), kProjectNoUrls);
    int index = 7;
    EXPECT_EQ(Check("p", {"a.com", "http://"}, &index), kProjectBareScheme);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(Check("p", {"localhost", "a.com"}, &index), kProjectUrlWithoutDot);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(Check("p", {"a.com", ""}, &index), kProjectEmptyUrl);
    EXPECT_EQ(index, 1);
    // URLs are checked before the name.
    EXPECT_EQ(Check("", {"http://"}), kProjectBareScheme);
    EXPECT_EQ(Check("p", {"http://a.com"}, &index), kProjectReady);
    EXPECT_EQ(index, -1);

    Project project;
    project.SetName("p");
    EXPECT_FALSE(IsProjectReady(project));
    project.AddUrl("127.0.0.1:8080/");
    EXPECT_TRUE(IsProjectReady(project));
}

}  // namespace
}  // namespace sg
