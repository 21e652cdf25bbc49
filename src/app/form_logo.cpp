#include "form_logo.h"

#include "ui_form_logo.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace velmora {

Form_Logo::Form_Logo(QWidget* parent, int waitMs)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ui(std::make_unique<Ui::Form_Logo>()),
      Timer1(new QTimer(this))
{
    ui->setupUi(this);
    // Without a window frame the splash draws its own edge.
    setStyleSheet(QStringLiteral("QDialog#Form_Logo { border: 1px solid palette(dark); }"));
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(waitMs);
    connect(Timer1, &QTimer::timeout, this, &Form_Logo::Timer1Timer);
    connect(ui->Button_Skip, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Button_Exit, &QPushButton::clicked, this, &Form_Logo::Button_ExitClick);
}

Form_Logo::~Form_Logo() = default;

int Form_Logo::exec()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
    Timer1->start();
    const int result = QDialog::exec();
    Timer1->stop();
    return result;
}

void Form_Logo::Button_ExitClick()
{
    // The splash does not close under the question.
    Timer1->stop();
    if (!ask_ || ask_(endProgramQuestion()))
        done(EndProgram);
    else
        Timer1->start();
}

void Form_Logo::Timer1Timer()
{
    Timer1->stop();
    accept();
}

} // namespace velmora
