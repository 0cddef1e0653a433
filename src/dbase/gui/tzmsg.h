// TTzMsg: a small yellow stay-on-top window that shows one text while long
// work runs (it processes pending window events after each change so that
// it is seen); TTzProgress100: the same with a bar of 100 "|" characters
// that loses one character per step.
//
// The UI service's progress calls reach TTzProgress100 through
// ShowProgress100 and EndProgress100, which the window program installs.
#pragma once

#include <QString>
#include <QWidget>

#include <string>

class QFrame;
class QLabel;

namespace kt4::dbase::gui {

class TTzMsg : public QWidget {
    Q_OBJECT
public:
    // owner: the window to centre on (its top-level window); without one
    // the program's main window, else the screen.
    explicit TTzMsg(QWidget* owner = nullptr);

    // Stores text when one is given, sizes the window to it (plus 30
    // pixels each way; wider for a caption), centres it when it had to grow
    // or its border changed, shows it and lets pending events run.
    void ShowText(const QString& text = QString());
    // A caption gives the window a title bar; an empty one takes it away.
    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }
    QString Text() const { return text_; }

protected:
    QFrame* outer_;
    QLabel* inner_;

private:
    QWidget* CentreWidget() const;
    QString text_;
    QString caption_;
    QWidget* owner_;
    bool hadCaption_ = false;
    bool placed_ = false;
};

class TTzProgress100 : public TTzMsg {
    Q_OBJECT
public:
    static constexpr int kBarLength = 100;
    explicit TTzProgress100(QWidget* owner = nullptr, const QString& caption = QStringLiteral("Progress"));
    // One character less; an empty bar is filled again.
    void Step();
    // The bar for a part done of 0..100 per cent: 100 - percent characters.
    void SetPercent(int percent);
    QString Bar() const { return Text(); }
};

// The UI service's progress: percent 0..100 shows 100 - percent characters,
// a negative percent steps the bar once; the text is the window's caption.
void ShowProgress100(const std::string& text, int percent);
// Closes the progress window.
void EndProgress100();
// The progress window while one is shown (nullptr else).
TTzProgress100* CurrentProgress100();

} // namespace kt4::dbase::gui
