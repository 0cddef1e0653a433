// Small helpers of the forms: text conversion, controls with their object
// names (the names the tests find them by) and titled radio groups.
#pragma once

#include "foundation/codepage.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QString>
#include <QStringList>
#include <QVBoxLayout>
#include <QWidget>
#include <string>

namespace kt4::formutil {

inline QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }
// Stored OEM text for display.
inline QString FromOem(const std::string& oem) { return Q(OemToDisplay(oem)); }
inline std::string S(const QString& text) { return text.toStdString(); }

// A control with its object name, owned by Parent.
template <class W>
W* Named(QWidget* Parent, const QString& Name)
{
    auto* w = new W(Parent);
    w->setObjectName(Name);
    return w;
}

// A titled group of radio buttons named Name, its buttons Name_0, Name_1 ...
// with the ids 0, 1 ... in Group.
inline QGroupBox* RadioGroupBox(QWidget* Parent, const QString& Name, const QString& Caption,
                                const QStringList& Items, QButtonGroup*& Group)
{
    auto* box = Named<QGroupBox>(Parent, Name);
    box->setTitle(Caption);
    Group = new QButtonGroup(box);
    auto* rows = new QVBoxLayout(box);
    for (int k = 0; k < Items.size(); ++k) {
        auto* b = new QRadioButton(Items[k], box);
        b->setObjectName(QString("%1_%2").arg(Name).arg(k));
        Group->addButton(b, k);
        rows->addWidget(b);
    }
    return box;
}

// Checks the button of id Item; none is checked when no button has it.
inline void SelectRadio(QButtonGroup* Group, int Item)
{
    if (QAbstractButton* b = Group->button(Item)) {
        b->setChecked(true);
        return;
    }
    Group->setExclusive(false);
    for (QAbstractButton* b : Group->buttons())
        b->setChecked(false);
    Group->setExclusive(true);
}

} // namespace kt4::formutil
