#include "foundation/gui/showscreen_form.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kt4::gui {

TShowScreen::TShowScreen(QWidget* parent) : QDialog(parent)
{
    setObjectName("TShowScreen");
    setModal(true);
    resize(640, 460);
    auto* layout = new QVBoxLayout(this);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    QFont f("Courier");
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    Memo1->setFont(f);
    layout->addWidget(Memo1);
    Button_ok = new QPushButton("OK", this);
    Button_ok->setObjectName("Button_ok");
    Button_ok->setDefault(true);
    layout->addWidget(Button_ok, 0, Qt::AlignCenter);
    connect(Button_ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TShowScreen::Setup(const std::string& caption, const std::vector<std::string>& lines)
{
    setWindowTitle(QString::fromStdString(caption));
    QString text;
    for (std::size_t k = 0; k < lines.size() && k < 22; ++k)
        text += QString::fromStdString(lines[k]) + "\n";
    Memo1->setPlainText(text);
}

} // namespace kt4::gui
