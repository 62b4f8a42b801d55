#include "app/QuitKey.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace cadro {

QuitKey::QuitKey(std::function<void()> quit, QObject* parent)
    : QObject(parent), quit_(std::move(quit)) {}

bool QuitKey::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat() ||
        QKeySequence(key->keyCombination()) != QKeySequence(Qt::CTRL | Qt::Key_Q))
        return false;
    quit_();
    return true;
}

}  // namespace cadro
