#pragma once
// "Proxy Settings": the proxy every web request goes through, saved to the proxy file, and how
// many connections the analyses keep to one site, how many pages of one site a crawl visits and
// how many links of one page it reads, each saved to its own file.

#include <QDialog>

class QLineEdit;
class QPushButton;
class QSpinBox;

namespace sg {

class UserPrompts;

class ProxySettingsDialog : public QDialog {
    Q_OBJECT

  public:
    // Reads the proxy and connections files into the process's settings and shows them.
    explicit ProxySettingsDialog(UserPrompts& prompts, QWidget* parent = nullptr);

  private:
    void SetValues();

    UserPrompts& prompts_;
    QLineEdit* addressEdit_;
    QLineEdit* portEdit_;
    QLineEdit* userEdit_;
    QLineEdit* passwordEdit_;
    QSpinBox* connectionsSpin_;
    QSpinBox* maxPagesSpin_;
    QSpinBox* maxLinksSpin_;
    QPushButton* setValuesButton_;
    QPushButton* cancelButton_;
};

}  // namespace sg
