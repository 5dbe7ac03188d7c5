#include "app/StartUp.h"

#include <cstdlib>

#include "analysis/crawl/PageBoundSetting.h"
#include "model/AppState.h"
#include "net/ConnectionSetting.h"
#include "net/MetasearchSetting.h"
#include "net/ProxySettings.h"
#include "platform/FileSystem.h"
#include "platform/Resources.h"

namespace sg {
namespace {

// The file `name` of the program's configuration folder.
std::string ConfigFilePath(const std::string& name) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/') {
        return std::string(config) + "/sitegauge/" + name;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config/sitegauge/" + name;
}

// Installed content: written when missing and never overwritten, so a user's edits stay.
void WriteIfMissing(const std::string& path, std::string_view content) {
    if (!FileExists(path)) {
        WriteWholeFile(path, content);
    }
}

}  // namespace

void StartUp(const std::string& workDir) {
    AppPaths& paths = App().paths;
    paths.workDir = workDir.empty() ? CurrentDirectory() : workDir;
    while (paths.workDir.size() > 1 && paths.workDir.back() == '/') {
        paths.workDir.pop_back();
    }
    paths.profilesDir = paths.workDir + "/Profiles";
    paths.reportsDir = paths.workDir + "/Reports";
    paths.proxyFile = ConfigFilePath("proxy.txt");
    paths.connectionsFile = ConfigFilePath("connections.txt");
    paths.maxPagesFile = ConfigFilePath("max-pages.txt");
    paths.maxLinksFile = ConfigFilePath("max-links.txt");
    paths.metasearchFile = ConfigFilePath("metasearch.txt");
    paths.ftpFile = ConfigFilePath("ftp.txt");
    paths.ftpTrustFile = ConfigFilePath("ftp-trust.txt");
    paths.lastProfileFile = ConfigFilePath("last-profile.txt");
    paths.linkAuthorityFile = ConfigFilePath("link-authority.txt");
    paths.configDir = ConfigFilePath("");
    paths.configDir.pop_back();

    // A folder that exists or cannot be created is not an error: later writes fail silently.
    CreateFolder(paths.profilesDir);
    CreateFolder(paths.reportsDir);
    paths.positionAnalyzerDir = paths.reportsDir + "/Position Analyzer";
    CreateFolder(paths.positionAnalyzerDir);
    paths.readinessDir = paths.reportsDir + "/Search Engine Rediness";
    CreateFolder(paths.readinessDir);
    paths.linkPopularityDir = paths.reportsDir + "/Link Popularity";
    CreateFolder(paths.linkPopularityDir);
    paths.linkValidatorDir = paths.reportsDir + "/Link Validator";
    CreateFolder(paths.linkValidatorDir);
    paths.siteAuditDir = paths.reportsDir + "/Site Audit";

    // Every report page refers to these two; rewritten at every start.
    WriteWholeFile(paths.reportsDir + "/toplogo.gif", resources::toplogo_gif);
    WriteWholeFile(paths.reportsDir + "/clear.gif", resources::clear_gif);

    const std::string tutorialDir = paths.workDir + "/tutorial";
    CreateFolder(tutorialDir);
    WriteIfMissing(tutorialDir + "/index.html", resources::index_html);
    WriteIfMissing(tutorialDir + "/help.html", resources::help_html);

    // A missing proxy file leaves the settings empty: no proxy.
    LoadProxySettings(App().paths.proxyFile, CurrentProxySettings());
    ApplyStoredConnectionSetting(App().paths.connectionsFile);
    ApplyStoredPageBoundSetting(App().paths.maxPagesFile);
    ApplyStoredLinkBoundSetting(App().paths.maxLinksFile);
    ApplyStoredMetasearchSetting(App().paths.metasearchFile);
    App().authority = LinkAuthoritySettings();
    ApplyStoredLinkAuthoritySettings(App().paths.linkAuthorityFile, App().authority);
}

}  // namespace sg
