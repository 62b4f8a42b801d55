#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace cadro {

/// A small modal window that asks for one line of text: a message, a field and
/// Cancel / OK. Create one per question and discard it after present().
class TextPrompt : public QDialog {
    Q_OBJECT

  public:
    TextPrompt(const QString& title, const QString& message, const QString& defaultValue,
               QWidget* parent = nullptr);

    /// Runs the prompt modally. The field's text, unchanged, when the user
    /// confirms (OK or Return), even when it is empty; nothing on Cancel or
    /// Escape.
    std::optional<QString> present();

    QLineEdit* field() const { return field_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    QLabel* message_;
    QLineEdit* field_;
    QPushButton* cancel_;
    QPushButton* ok_;
};

}  // namespace cadro
