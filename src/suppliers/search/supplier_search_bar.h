#pragma once

#include "search_conditions.h"

#include <QTimer>
#include <QWidget>

class QCheckBox;
class QGridLayout;
class QHBoxLayout;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace velmora {
class SettingsStore;
}

namespace velmora::search {

class GoodsSearchController;

// The find box with its field choice and switches: Edit_Find,
// RadioButton_TovarName / _TovarArt / _TovarAll, CheckBox_FindUp and
// ToolButton_Find. It gathers the text and hands it to the controller.
// Where one row is too narrow for them all, the field choice goes to a
// second row, so the bar fits beside a narrow page control.
class SupplierSearchBar : public QWidget {
    Q_OBJECT
public:
    explicit SupplierSearchBar(GoodsSearchController& controller, QWidget* parent = nullptr);

    // The order database's settings, where the switches are kept; none
    // keeps them in the window only.
    void setSettingsStore(SettingsStore* orderSettings) { settings_ = orderSettings; }
    // Start-up: CheckBox_FindUp (default off), then the three radio buttons
    // in the order article, name, all, each checked when its setting
    // (default true) is true, so the last true one wins.
    void restoreSettings();

    QString findText() const;
    SearchField field() const;
    QLineEdit* findEdit() const { return Edit_Find; }

    // Typing waits this long for the next key before it searches.
    static constexpr int kTypingPauseMs = 300;

signals:
    void hideCardRequested();
    void focusGridRequested();

public slots:
    void Edit_FindChange();
    void Edit_FindClick();
    void Edit_FindExit();
    void Edit_FindEnter();
    void ToolButton_FindClick();
    void RadioButton_TovarNameClick();
    void CheckBox_FindUpClick();

    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The widest of the two rows, and the width all need on one row.
    int twoRowWidth() const;
    int oneRowWidth() const;
    void arrange(bool oneRow);
    void writeBoolean(const QString& name, bool value);

    GoodsSearchController& controller_;
    SettingsStore* settings_ = nullptr;
    QTimer typingPause_;
    QLineEdit* Edit_Find;
    QRadioButton* RadioButton_TovarName;
    QRadioButton* RadioButton_TovarArt;
    QRadioButton* RadioButton_TovarAll;
    QCheckBox* CheckBox_FindUp;
    QToolButton* ToolButton_Find;
    QGridLayout* layout_;
    QHBoxLayout* fieldChoice_;
    int rows_ = 0;
};

} // namespace velmora::search
