// The profile reader on any bytes: from memory and from a file, as the program loads one. A
// profile that loads must store and load back to the same project, byte for byte.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "model/ProfileArchive.h"
#include "model/ProfileFile.h"
#include "model/ProfileSource.h"
#include "model/Project.h"
#include "platform/FileSystem.h"

namespace {

std::string StoredBytes(const sg::Project& project) {
    sg::ProfileArchive archive;
    project.Store(archive);
    return archive.Bytes();
}

int LoadFromMemory(sg::Project& project, std::string_view bytes) {
    sg::MemoryProfileSource source(bytes);
    sg::ProfileArchive archive(source);
    return project.Serialize(archive);
}

const std::string& ScratchPath() {
    static const std::string path =
        "/tmp/sitegauge-fuzz-profile-" + std::to_string(::getpid()) + ".swp";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    sg::Project fromMemory;
    const int memoryResult = LoadFromMemory(fromMemory, bytes);
    SG_FUZZ_CHECK(memoryResult == sg::kArchiveOk || memoryResult == sg::kArchivePastEnd ||
                  memoryResult == sg::kArchiveBadFormat);

    if (sg::WriteWholeFile(ScratchPath(), bytes)) {
        sg::Project fromFile;
        std::string errorText;
        const int fileResult = sg::LoadProfile(fromFile, ScratchPath(), &errorText);
        const int expected = memoryResult == sg::kArchiveOk        ? sg::kProfileOk
                             : memoryResult == sg::kArchivePastEnd ? sg::kProfilePastEnd
                                                                   : sg::kProfileBadFormat;
        SG_FUZZ_CHECK(fileResult == expected);
        SG_FUZZ_CHECK(errorText.empty() == (fileResult == sg::kProfileOk));
        // Both readers see the same entries, also when the file breaks off.
        SG_FUZZ_CHECK(StoredBytes(fromFile) == StoredBytes(fromMemory));
    }

    if (memoryResult == sg::kArchiveOk) {
        const std::string stored = StoredBytes(fromMemory);
        sg::Project reloaded;
        SG_FUZZ_CHECK(LoadFromMemory(reloaded, stored) == sg::kArchiveOk);
        SG_FUZZ_CHECK(StoredBytes(reloaded) == stored);
        SG_FUZZ_CHECK(reloaded.UrlCount() == fromMemory.UrlCount());
        SG_FUZZ_CHECK(reloaded.KeywordCount() == fromMemory.KeywordCount());
    }
    return 0;
}
