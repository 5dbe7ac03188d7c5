#include "ui/UiFixture.h"

#include "app/StartUp.h"
#include "model/AppState.h"
#include "net/ConnectionSetting.h"
#include "net/MetasearchSetting.h"
#include "net/ProxySettings.h"
#include "platform/OpenDocument.h"

namespace sg::test {
namespace {

void ResetProcessState() {
    AppState& app = App();
    app.project.ClearUrls();
    app.project.ClearKeywords();
    app.project.SetName("");
    app.projectModified = false;
    CurrentProxySettings() = ProxySettings();
    SetConnectionsPerHost(kDefaultConnectionsPerHost);
    SetMetasearchInstance("");
    SetDocumentOpener(nullptr);
}

}  // namespace

UiFixture::UiFixture() : config_("XDG_CONFIG_HOME", (dir_ / "config").c_str()) {
    ResetProcessState();
    StartUp(dir_.path());
}

UiFixture::~UiFixture() {
    ResetProcessState();
}

}  // namespace sg::test
