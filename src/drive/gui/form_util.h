// Small helpers of the drive's forms: text conversion and named controls.
#pragma once

#include "foundation/codepage.h"

#include <QString>
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

} // namespace kt4::formutil
