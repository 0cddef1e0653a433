// Two controls of the configuration form that Qt has not as such: a radio
// group whose item index can also be "none", and a colour panel that shows
// a colour number of the settings (0x00BBGGRR) and reports a click.
#pragma once

#include "graphics/graph_settings.h"

#include <QFrame>
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QLabel;

namespace kt4::shell::gui {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& Caption, const QStringList& Items, QWidget* Parent = nullptr);
    // -1: no item chosen.
    int ItemIndex() const;
    void SetItemIndex(int Index);
    int Count() const;

signals:
    void Changed(int Index);

private:
    QButtonGroup* group_;
};

class ColorPanel : public QFrame {
    Q_OBJECT
public:
    explicit ColorPanel(QWidget* Parent = nullptr);
    graphics::GraphColor Value() const { return value_; }
    void SetValue(graphics::GraphColor Value);
    void SetCaption(const QString& Text);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    graphics::GraphColor value_ = 0;
    QLabel* caption_;
};

} // namespace kt4::shell::gui
