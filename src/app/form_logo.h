#pragma once

#include "platform/files/message_sink.h"

#include <QDialog>

#include <memory>

class QTimer;

namespace Ui {
class Form_Logo;
}

namespace velmora {

// The splash window: borderless, centred on the screen, shown modally when
// the main window first appears. It closes itself when Timer1 fires or on
// "Пропустить"; "X" ends the program (exec() then returns EndProgram) once
// the user has confirmed it.
class Form_Logo : public QDialog {
    Q_OBJECT
public:
    static constexpr int EndProgram = 2;
    static constexpr int DefaultWaitMs = 5000;

    explicit Form_Logo(QWidget* parent = nullptr, int waitMs = DefaultWaitMs);
    ~Form_Logo() override;

    int exec() override;

    // The question "X" asks before the program ends (none: it ends at once).
    void setQuestion(Question ask) { ask_ = std::move(ask); }
    static QString endProgramQuestion() { return QStringLiteral("Завершить работу программы?"); }

private:
    void Timer1Timer();
    void Button_ExitClick();

    std::unique_ptr<Ui::Form_Logo> ui;
    QTimer* Timer1;
    Question ask_;
};

} // namespace velmora
