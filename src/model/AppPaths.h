#pragma once
// The working-folder paths, set once by StartUp and only read afterwards.

#include <string>

namespace sg {

struct AppPaths {
    std::string workDir;
    std::string profilesDir;          // workDir + "/Profiles"
    std::string reportsDir;           // workDir + "/Reports"
    std::string positionAnalyzerDir;  // reportsDir + "/Position Analyzer"
    std::string readinessDir;  // reportsDir + "/Search Engine Rediness" (sic: reports link to it)
    std::string linkPopularityDir;  // reportsDir + "/Link Popularity"
    std::string linkValidatorDir;   // reportsDir + "/Link Validator"
    std::string siteAuditDir;       // reportsDir + "/Site Audit" (made by the first audit)
    std::string proxyFile;          // $XDG_CONFIG_HOME/sitegauge/proxy.txt
    std::string connectionsFile;    // $XDG_CONFIG_HOME/sitegauge/connections.txt
    std::string maxPagesFile;       // $XDG_CONFIG_HOME/sitegauge/max-pages.txt
    std::string maxLinksFile;       // $XDG_CONFIG_HOME/sitegauge/max-links.txt
    std::string metasearchFile;     // $XDG_CONFIG_HOME/sitegauge/metasearch.txt
    std::string ftpFile;            // $XDG_CONFIG_HOME/sitegauge/ftp.txt
    std::string ftpTrustFile;       // $XDG_CONFIG_HOME/sitegauge/ftp-trust.txt
    std::string lastProfileFile;    // $XDG_CONFIG_HOME/sitegauge/last-profile.txt
    std::string linkAuthorityFile;  // $XDG_CONFIG_HOME/sitegauge/link-authority.txt (0600)
    std::string configDir;          // $XDG_CONFIG_HOME/sitegauge (the ranks index too)
};

}  // namespace sg
