#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;

namespace Ui {
class Form_Progress;
}

namespace velmora {

// The wait window: a modeless dialog centred on its parent (the main
// window) with a text and a progress bar. Callers run their long work on
// the main thread between its calls; each call repaints the window at once
// so that it stays readable while the work blocks the event loop.
class Form_Progress : public QDialog {
    Q_OBJECT
public:
    explicit Form_Progress(QWidget* parent = nullptr);
    ~Form_Progress() override;

    QLabel* Label_Wait() const;
    QProgressBar* ProgressBar_Out() const;

    // Shows the window with the text (the default text when empty), the
    // bar at 0 of `steps`.
    void begin(const QString& text, int steps);
    // Moves the bar one step on.
    void stepIt();
    // Closes the window and puts the default text back.
    void finish();
    // Paints the window now, without handing user input to other windows.
    void repaintNow();

private:
    std::unique_ptr<Ui::Form_Progress> ui;
    QString defaultText_;
};

} // namespace velmora
