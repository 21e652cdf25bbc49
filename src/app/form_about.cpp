#include "form_about.h"

#include "ui_form_about.h"

#include <QGuiApplication>
#include <QScreen>

namespace velmora {

Form_About::Form_About(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), ui(std::make_unique<Ui::Form_About>())
{
    ui->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(ui->Button_OK, &QPushButton::clicked, this, &QDialog::accept);
}

Form_About::~Form_About() = default;

int Form_About::exec()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return QDialog::exec();
}

} // namespace velmora
