#pragma once

#include <QObject>

#include <functional>

namespace cadro {

/// Ctrl+Q quits from any of Cadro's windows: the settings window, its sheets,
/// prompts and alerts. Installed on the application, so it sees every key
/// press that no widget took as a shortcut.
class QuitKey : public QObject {
  public:
    QuitKey(std::function<void()> quit, QObject* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> quit_;
};

}  // namespace cadro
