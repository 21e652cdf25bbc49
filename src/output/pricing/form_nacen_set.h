#pragma once

#include "output/window_support.h"

#include <QDialog>

#include <memory>

namespace Ui {
class Form_NacenSet;
}

namespace velmora::db {
class Connection;
}

namespace velmora::output {

// Form_NacenSet ("Установить значение"): sets a group's markup (mode
// "Nacen") or warranty (mode "Garant") for its goods, and with the box for
// every group nested in it.
class Form_NacenSet : public QDialog {
    Q_OBJECT
public:
    explicit Form_NacenSet(db::Connection& priceDb, QWidget* parent = nullptr);
    ~Form_NacenSet() override;

    void setDialogs(WindowDialogs dialogs) { dialogs_ = std::move(dialogs); }
    // The group and the mode of the next showing.
    void setGroup(qint64 groupCode, const QString& mode);

    void FormShow();
    void Button_SetClick();

signals:
    void goodsChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::Form_NacenSet> ui;
    db::Connection& priceDb_;
    WindowDialogs dialogs_;
    qint64 group_ = 0;
    QString mode_ = QStringLiteral("Nacen");
};

} // namespace velmora::output
