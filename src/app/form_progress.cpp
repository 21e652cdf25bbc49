#include "form_progress.h"

#include "ui_form_progress.h"

#include <QCoreApplication>

namespace velmora {

Form_Progress::Form_Progress(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Form_Progress>())
{
    ui->setupUi(this);
    setModal(false);
    defaultText_ = ui->Label_Wait->text();
}

Form_Progress::~Form_Progress() = default;

QLabel* Form_Progress::Label_Wait() const { return ui->Label_Wait; }
QProgressBar* Form_Progress::ProgressBar_Out() const { return ui->ProgressBar_Out; }

void Form_Progress::begin(const QString& text, int steps)
{
    ui->Label_Wait->setText(text.isEmpty() ? defaultText_ : text);
    ui->ProgressBar_Out->setRange(0, qMax(steps, 1));
    ui->ProgressBar_Out->setValue(0);
    show();
    raise();
    repaintNow();
}

void Form_Progress::stepIt()
{
    ui->ProgressBar_Out->setValue(qMin(ui->ProgressBar_Out->value() + 1, ui->ProgressBar_Out->maximum()));
    repaintNow();
}

void Form_Progress::finish()
{
    hide();
    ui->Label_Wait->setText(defaultText_);
    ui->ProgressBar_Out->setValue(0);
}

void Form_Progress::repaintNow()
{
    // The work that shows this window blocks the event loop; a window that
    // has just been mapped gets its first expose event only from there.
    // User input stays queued, so no other handler runs in between.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    repaint();
}

} // namespace velmora
