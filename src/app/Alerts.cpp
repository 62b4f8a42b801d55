#include "app/Alerts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace cadro {

std::optional<int> runAlert(const AlertContent& alert, QWidget* parent) {
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("alert"));
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(QStringLiteral("Cadro"));
    box.setText(QString::fromStdString(alert.message));
    box.setInformativeText(QString::fromStdString(alert.informativeText));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);

    std::vector<QPushButton*> buttons;
    if (alert.buttons.empty()) {
        buttons.push_back(box.addButton(QMessageBox::Ok));
    } else {
        for (const std::string& title : alert.buttons) {
            // Roles only place the buttons; the first one is the default and
            // the last one answers Escape, as with the system's alerts.
            const bool first = buttons.empty();
            buttons.push_back(
                box.addButton(QString::fromStdString(title),
                              first ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
        }
    }
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(buttons.back());

    box.show();
    box.raise();
    box.activateWindow();
    box.exec();

    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) {
            return int(i);
        }
    }
    return std::nullopt;
}

}  // namespace cadro
