#include "gui/OneLineField.h"

#include <QLineEdit>

namespace cadro {

QValidator::State OneLineValidator::validate(QString& input, int&) const {
    for (QChar& c : input) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            c = QLatin1Char(' ');
    }
    return Acceptable;
}

void makeOneLine(QLineEdit* field) {
    field->setValidator(new OneLineValidator(field));
}

}  // namespace cadro
