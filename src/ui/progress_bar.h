#pragma once

#include <QWidget>

namespace kestra::ui {

// The transfer windows' progress bar (control 1176): "%d%%" centred, the part up to the value's share of the inner
// width (the client area less one pixel each side) blue with white text, the rest white with blue text; -1 draws
// nothing. A transfer runs no event loop inside a file, so a new percentage is painted at once.
class CProgressBar : public QWidget {
    Q_OBJECT

  public:
    explicit CProgressBar(QWidget* parent = nullptr);

    int value() const { return value_; }
    // Whole percent, or -1 to hide the bar; values above 100 draw as 100.
    void set_value(int percent);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int value_ = -1;
};

}  // namespace kestra::ui
