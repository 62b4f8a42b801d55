#pragma once

#include <QValidator>

class QLineEdit;

namespace cadro {

/// Keeps a title or step to one plain line: pasted tabs, line breaks and
/// other control characters become spaces as they arrive.
class OneLineValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

/// Gives `field` a OneLineValidator.
void makeOneLine(QLineEdit* field);

}  // namespace cadro
