#pragma once

#include "catalogue/article_code.h"

#include "platform/files/message_sink.h"

#include <QDialog>

#include <memory>

namespace Ui {
class Form_Artikul;
}

namespace velmora::catalogue {

// "Настройка артикула": the settings of the automatic article numbers,
// read when the window is shown and written by "OK", which refuses
// settings whose longest article does not fit the article field.
class Form_Artikul : public QDialog {
    Q_OBJECT
public:
    explicit Form_Artikul(SettingsStore& settings, QWidget* parent = nullptr);
    ~Form_Artikul() override;

    // Where the refusal of "OK" goes.
    void setMessageSink(MessageSink sink) { messages_ = std::move(sink); }

    // The settings as the controls show them.
    ArticleSettings shownSettings() const;

public slots:
    void FormShow();
    void Button_OKClick();
    void CheckBox_AutoClick();
    void CheckBox_RazdClick();
    void CheckBox_PrefKatClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    SettingsStore& settings_;
    MessageSink messages_;
    std::unique_ptr<Ui::Form_Artikul> ui;
};

} // namespace velmora::catalogue
