#include "orders/ui/order_field_filters.h"

#include "orders/order_key_filters.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace velmora::orders {

namespace {

// The character a key press types, or none for keys that type nothing
// (arrows, Delete, Home): those move and edit as usual.
std::optional<QChar> typedCharacter(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.size() != 1 || (text[0].unicode() < 32 && text[0] != u'\b' && text[0] != u'\r'))
        return std::nullopt;
    return text[0];
}

class RateKeyFilter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* edit = static_cast<QLineEdit*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        const std::optional<QChar> typed = typedCharacter(key);
        if (!typed || *typed == u'\b' || key->key() == Qt::Key_Backspace)
            return false;
        const std::optional<QChar> accepted = FilterRateKey(edit->text(), *typed);
        if (!accepted)
            return true;
        if (*accepted != *typed) {
            edit->insert(QString(*accepted));
            return true;
        }
        return false;
    }
};

class OrderNumberKeyFilter : public QObject {
public:
    OrderNumberKeyFilter(QObject* parent, MessageSink tell) : QObject(parent), tell_(std::move(tell)) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const std::optional<QChar> typed = typedCharacter(key);
        if (!typed || *typed == u'\b' || *typed == u'\r' || key->key() == Qt::Key_Backspace ||
            key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            return false;
        switch (FilterOrderNumberKey(static_cast<QLineEdit*>(watched)->text(), *typed)) {
        case OrderNumberKey::Accept: return false;
        case OrderNumberKey::Refuse: return true;
        case OrderNumberKey::TooLarge:
            if (tell_)
                tell_(kOrderNumberTooLargeMessage);
            return true;
        }
        return true;
    }

private:
    MessageSink tell_;
};

} // namespace

void InstallRateKeyFilter(QLineEdit* edit)
{
    edit->installEventFilter(new RateKeyFilter(edit));
}

void InstallOrderNumberKeyFilter(QLineEdit* edit, MessageSink tell)
{
    edit->installEventFilter(new OrderNumberKeyFilter(edit, std::move(tell)));
}

} // namespace velmora::orders
