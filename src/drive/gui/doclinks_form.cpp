#include "drive/gui/doclinks_form.h"

#include "drive/doclinks.h"
#include "drive/docu_forms.h"
#include "foundation/dialogs.h"
#include "foundation/gui/form_placement.h"
#include "foundation/gui/form_util.h"
#include "foundation/helptext.h"
#include "foundation/settings.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kt4 {

using namespace formutil;

namespace {

// Programs carry no extension here, so the program browser shows every file.
const char* const ProgramMask = "*";
const char* const FileMask = "*.*";

// An open dialog in the folder of the edit's name; Cancel keeps the text.
void Browse(QLineEdit* Edit, const char* Mask)
{
    std::string name;
    BrowseFileName(S(Edit->text()), Mask, name);
    Edit->setText(Q(name));
}

} // namespace

TForm_confDoku::TForm_confDoku(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("TForm_confDoku");
    auto* top = new QVBoxLayout(this);
    for (int n = 1; n <= Links; ++n) {
        BuildLink(n);
        top->addWidget(GroupBox[n - 1]);
    }
    Button_ok = Named<QPushButton>(this, "Button_ok");
    Button_cancel = Named<QPushButton>(this, "Button_cancel");
    Button_help = Named<QPushButton>(this, "Button_help");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button_ok);
    buttons->addWidget(Button_cancel);
    buttons->addWidget(Button_help);
    top->addLayout(buttons);

    connect(Button_ok, &QPushButton::clicked, this, &TForm_confDoku::Button_okClick);
    connect(Button_cancel, &QPushButton::clicked, this, &TForm_confDoku::Button_cancelClick);
    connect(Button_help, &QPushButton::clicked, this, &TForm_confDoku::Button_helpClick);
    FormCreate();
    FormShow();
}

void TForm_confDoku::BuildLink(int N)
{
    int k = N - 1;
    QString n = QString::number(N);
    GroupBox[k] = Named<QGroupBox>(this, "GroupBox" + n);
    QWidget* box = GroupBox[k];
    Label_prog[k] = Named<QLabel>(box, "Label_prog" + n);
    Label_file[k] = Named<QLabel>(box, "Label_file" + n);
    Edit_prog[k] = Named<QLineEdit>(box, "Edit_prog" + n);
    Edit_file[k] = Named<QLineEdit>(box, "Edit_file" + n);
    Button_prog[k] = Named<QPushButton>(box, "Button_prog" + n);
    Button_file[k] = Named<QPushButton>(box, "Button_file" + n);
    Button_exec[k] = Named<QPushButton>(box, "Button" + n);
    Button_execFile[k] = Named<QPushButton>(box, "Button" + n + "f");

    auto* grid = new QGridLayout(box);
    grid->addWidget(Label_prog[k], 0, 0);
    grid->addWidget(Edit_prog[k], 0, 1);
    grid->addWidget(Button_prog[k], 0, 2);
    grid->addWidget(Button_exec[k], 0, 3);
    grid->addWidget(Label_file[k], 1, 0);
    grid->addWidget(Edit_file[k], 1, 1);
    grid->addWidget(Button_file[k], 1, 2);
    grid->addWidget(Button_execFile[k], 1, 3);
    Edit_prog[k]->setMinimumWidth(320);

    connect(Button_prog[k], &QPushButton::clicked, this, [this, N] { ProgClick(N); });
    connect(Button_file[k], &QPushButton::clicked, this, [this, N] { FileClick(N); });
    connect(Button_exec[k], &QPushButton::clicked, this, [this, N] { ExecProgClick(N); });
    connect(Button_execFile[k], &QPushButton::clicked, this, [this, N] { ExecFileClick(N); });
}

void TForm_confDoku::FormCreate()
{
    CenterForm(this);
    std::string title;
    MakeWindowTitle(title);
    setWindowTitle("Document Links  -  " + Q(title));
    Button_ok->setText("OK");
    Button_ok->setDefault(true);
    Button_cancel->setText("Abbrechen");
    Button_help->setText("&Hilfetext");
    QString progHint = Q(HelpTextString(2710));
    QString fileHint = Q(HelpTextString(2720));
    for (int k = 0; k < Links; ++k) {
        QString n = QString::number(k + 1);
        Label_prog[k]->setText("Program " + n);
        Label_file[k]->setText("File " + n);
        Label_prog[k]->setToolTip(progHint);
        Label_file[k]->setToolTip(fileHint);
        Button_prog[k]->setText("...");
        Button_file[k]->setText("...");
        Button_exec[k]->setText("Exec Prog");
        Button_execFile[k]->setText("Exec File");
    }
}

void TForm_confDoku::FormShow()
{
    docu::DocLinkValues v = docu::LoadDocLinks();
    for (int k = 0; k < Links; ++k) {
        Edit_prog[k]->setText(Q(v.programs[static_cast<std::size_t>(k)]));
        Edit_file[k]->setText(Q(v.files[static_cast<std::size_t>(k)]));
    }
}

void TForm_confDoku::ProgClick(int N)
{
    Browse(Edit_prog[N - 1], ProgramMask);
}

void TForm_confDoku::FileClick(int N)
{
    Browse(Edit_file[N - 1], FileMask);
}

void TForm_confDoku::ExecProgClick(int N)
{
    docu::ExecLinkProgram(S(Edit_prog[N - 1]->text()), S(Edit_file[N - 1]->text()));
}

void TForm_confDoku::ExecFileClick(int N) { docu::ExecLinkFile(S(Edit_file[N - 1]->text())); }

void TForm_confDoku::Button_okClick()
{
    settings::AbortFlag = false;
    docu::DocLinkValues v;
    for (int k = 0; k < Links; ++k) {
        v.programs[static_cast<std::size_t>(k)] = S(Edit_prog[k]->text());
        v.files[static_cast<std::size_t>(k)] = S(Edit_file[k]->text());
    }
    if (!docu::StoreDocLinks(v))
        return;
    accept();
}

void TForm_confDoku::Button_cancelClick()
{
    settings::AbortFlag = true;
    reject();
}

void TForm_confDoku::Button_helpClick() { ShowHelpText(2730, "", 0); }

} // namespace kt4
