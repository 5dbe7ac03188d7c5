#include "model/IsProjectReady.h"

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

TEST(IsProjectReady, EveryUrlNamesAHostAndTheNameGivesAShortName) {
    int index = 7;
    EXPECT_EQ(Check("My Sites", {"www.site.com", "http://b.org"}, &index), kProjectReady);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(Check("", {"www.site.com"}), kProjectNoShortName);
    EXPECT_EQ(Check(".hidden", {"www.site.com"}), kProjectNoShortName);
    EXPECT_EQ(Check("p", {}), kProjectNoUrls);
    EXPECT_EQ(Check("p", {"a.com", "http://"}, &index), kProjectBareScheme);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(Check("p", {"intranet:8080", "a.com"}, &index), kProjectUrlWithoutDot);
    EXPECT_EQ(index, 0);
    // This machine's names have no dot and still name a host; an IPv6 address is none the
    // crawl could fetch.
    EXPECT_EQ(Check("p", {"localhost:8092", "https://LOCALHOST"}), kProjectReady);
    EXPECT_EQ(Check("p", {"[::1]:8080/x"}), kProjectUrlWithoutDot);
    EXPECT_EQ(Check("p", {"a.com", ""}, &index), kProjectEmptyUrl);
    EXPECT_EQ(index, 1);
    // The URLs are checked before the name.
    EXPECT_EQ(Check("", {"http://"}), kProjectBareScheme);
}

}  // namespace
}  // namespace sg
