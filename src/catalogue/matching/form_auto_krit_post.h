#pragma once

#include "auto_match.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace velmora::catalogue {

// "Определения соответствий": the suppliers of the remainder, each ticked
// or not (the ticks are kept in the window until the run), and the button
// that runs the automatic matching over the ticked suppliers' items for
// the group the window was opened for (0: all groups). It ends accepted
// once a run is over, when the review is to be shown. With no supplier
// items in the remainder it says how they get there.
class Form_AutoKritPost : public QDialog {
    Q_OBJECT
public:
    // `ask` is put the question of a group's run; `wait` is the wait window.
    Form_AutoKritPost(db::Connection& priceDb, Question ask, MatchingWait wait, QWidget* parent = nullptr);

    void setGroup(qint64 code) { group_ = code; }
    qint64 group() const { return group_; }
    QTableWidget* suppliers() const { return suppliers_; }
    const MatchingRunResult& lastRun() const { return lastRun_; }

    // Every item takes part, then the supplier list is read.
    void prepare();

public slots:
    void Button_AutoKritRunClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    db::Connection& priceDb_;
    Question ask_;
    MatchingWait wait_;
    qint64 group_ = 0;
    MatchingRunResult lastRun_;
    QTableWidget* suppliers_;
    QLabel* noSuppliers_;
    QPushButton* run_;
};

} // namespace velmora::catalogue
