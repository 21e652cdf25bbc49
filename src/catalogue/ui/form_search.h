#pragma once

#include "catalogue/goods_search.h"

#include "platform/files/message_sink.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class Form_Search;
}

namespace velmora::catalogue {

// "Поиск": finds own goods by article (exact, or with the ">"/"<" switch
// a part of it) or by a part of the name. "Найти" lists the goods found
// and goes to the first; "Следующий" and "Предыдущий" step through them
// and a double click goes to any: each is located in the tree and the
// goods list (locateRequested).
class Form_Search : public QDialog {
    Q_OBJECT
public:
    explicit Form_Search(db::Connection& priceDb, QWidget* parent = nullptr);
    ~Form_Search() override;

    void setMessageSink(MessageSink sink) { messages_ = std::move(sink); }
    // SearchField: "Art" or "Tovar", set before the window is shown.
    void setSearchField(const QString& field) { SearchField = field; }
    QString searchField() const { return SearchField; }
    bool partialArticle() const;
    const std::vector<FoundGood>& results() const { return results_; }
    int currentResult() const { return current_; }

public slots:
    void FormShow();
    void SpeedButton_ArtParamClick();
    void Button_FindClick();
    void Button_NextClick();
    void Button_PriorClick();
    // A result chosen: Prior and Next follow its place, then it is located.
    void LocateFoundProduct(int row);

signals:
    // Go to the good: its group in the tree (openGroups: expanding the
    // groups above it), the good in the list, the card in edit mode.
    void locateRequested(const FoundGood& good, bool openGroups);
    // The window closed: the card closes with it.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showArticleMode(bool partial);
    // A mode's size, grown to what the controls need.
    QSize sizeFor(int width, int height) const;

    db::Connection& priceDb_;
    std::unique_ptr<Ui::Form_Search> ui;
    QString SearchField = QStringLiteral("Art");
    std::vector<FoundGood> results_;
    int current_ = -1;
    MessageSink messages_;
};

} // namespace velmora::catalogue
