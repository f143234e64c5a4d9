#pragma once

#include <QLabel>

namespace tervalo::sending {

// A label whose text wraps at the width its layout gives it.
inline QLabel* wrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

}  // namespace tervalo::sending
