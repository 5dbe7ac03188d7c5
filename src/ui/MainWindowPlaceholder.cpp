#include "ui/MainWindowPlaceholder.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "ui/CPreviousDialog.h"
#include "ui/ConfirmExit.h"
#include "ui/ProjectDialog.h"
#include "ui/ProxySettingsDialog.h"
#include "ui/UiText.h"

namespace sg {
namespace {

QPushButton* Button(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

MainWindowPlaceholder::MainWindowPlaceholder(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle(ToQt(App().appTitle));
    auto* layout = new QVBoxLayout(this);
    QPushButton* project = Button(QStringLiteral("Project"), "projectButton", this);
    QPushButton* proxy = Button(QStringLiteral("Proxy"), "proxyButton", this);
    QPushButton* previous = Button(QStringLiteral("Previous Reports"), "previousButton", this);
    QPushButton* ok = Button(QStringLiteral("OK"), "okButton", this);
    for (QPushButton* button : {project, proxy, previous, ok}) {
        layout->addWidget(button);
    }
    setMinimumWidth(280);

    connect(project, &QPushButton::clicked, this, [this] {
        ProjectDialog dialog(prompts_, this);
        dialog.exec();
    });
    connect(proxy, &QPushButton::clicked, this, [this] {
        ProxySettingsDialog dialog(prompts_, this);
        dialog.exec();
    });
    connect(previous, &QPushButton::clicked, this, [this] {
        CPreviousDialog dialog(this);
        dialog.exec();
    });
    connect(ok, &QPushButton::clicked, this, &MainWindowPlaceholder::accept);
}

void MainWindowPlaceholder::accept() {
    if (ConfirmExit(prompts_, this)) {
        QDialog::accept();
    }
}

void MainWindowPlaceholder::reject() {
    if (ConfirmExit(prompts_, this)) {
        QDialog::reject();
    }
}

}  // namespace sg
