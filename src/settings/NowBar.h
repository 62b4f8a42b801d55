#pragma once

#include "core/store/ThreadStore.h"

#include <QColor>
#include <QWidget>

class QLabel;

namespace cadro {

class Stripe;

/// The strip across the top of the settings window: what is up now.
class NowBar : public QWidget {
  public:
    explicit NowBar(const ThreadStore& store, QWidget* parent = nullptr);
    void refresh();
    QString headline() const { return headlineText_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void elide();

    const ThreadStore& store_;
    Stripe* stripe_;
    QLabel* caption_;
    QLabel* headline_;
    QString headlineText_;
    QColor tint_;
};

}  // namespace cadro
