#pragma once

#include "proposals.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace velmora::catalogue {

// "Соответствия": the goods with proposals of the automatic matching and,
// for the current one, its proposals with their ticks; accepting makes the
// ticked ones the good's correspondences and combined-price rows.
class Form_AutoKrit : public QDialog {
    Q_OBJECT
public:
    Form_AutoKrit(db::Connection& priceDb, Question ask, MessageSink tell, QWidget* parent = nullptr);

    QTableWidget* goods() const { return goods_; }
    QTableWidget* proposals() const { return proposals_; }
    qint64 currentGood() const;

    // Every proposal unticked, gone items' proposals dropped, the goods read.
    void prepare();

public slots:
    void Button_AddSootvClick();

signals:
    // Proposals became this good's correspondences and combined-price rows.
    void correspondencesChanged(qint64 goodCode);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void readGoods(qint64 keepCode);
    void showProposals();
    void onTicked(int row, int column);

    db::Connection& priceDb_;
    Question ask_;
    MessageSink tell_;
    bool filling_ = false;
    QTableWidget* goods_;
    QTableWidget* proposals_;
    QLabel* allTovar_;
    QLabel* allSootv_;
    QPushButton* add_;
};

} // namespace velmora::catalogue
