#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class Form_About;
}

namespace velmora {

// The about window: fixed size, centred on the desktop; its two link
// labels open their addresses in the default browser.
class Form_About : public QDialog {
    Q_OBJECT
public:
    explicit Form_About(QWidget* parent = nullptr);
    ~Form_About() override;

    int exec() override;

private:
    std::unique_ptr<Ui::Form_About> ui;
};

} // namespace velmora
