#include "graphics/gui/plot_picture.h"

#include "graphics/graph_device.h"
#include "foundation/gui/form_placement.h"
#include "graphics/gui/fvelmgra.h"
#include "graphics/hpgl.h"

#include <QApplication>
#include <QPointer>

namespace kt4::graphics {

namespace {
QPointer<TFvelmgra> pictureWindow;
} // namespace

void DrawPlotPicture(TFvelmgra& window, const std::string& path, const PictureWindow& world)
{
    PictureWindow w = world;
    if (w.x1 == w.x2 || w.y1 == w.y2)
        w = {0, 0, 160, 120};
    TGraphDevice device(window);
    device.Clear();
    device.Header(w.x1, w.y1, w.x2, w.y2);
    if (!path.empty())
        PlotHpglFile(path, device);
    device.ClearViewPort();
}

void ShowPlotPictureWindow(const std::string& path, const PictureWindow& world)
{
    TFvelmgra* target = dynamic_cast<TFvelmgra*>(&ActiveGraphWindow());
    if (!target || !HasActiveGraphWindow()) {
        if (!pictureWindow) {
            // owned by the main window (when there is one), so it never
            // falls behind it
            pictureWindow = new TFvelmgra(PlacementMainWindow(), false);
            pictureWindow->setAttribute(Qt::WA_DeleteOnClose);
        }
        target = pictureWindow;
    }
    DrawPlotPicture(*target, path, world);
    // An open dialog (the help of a form) stays on top and keeps the focus:
    // the picture window comes up behind it, never over it.
    QWidget* dialog = QApplication::activeModalWidget();
    if (!target->isVisible())
        target->show();
    if (!dialog) {
        target->raise();
        return;
    }
    dialog->raise();
    dialog->activateWindow();
}

TFvelmgra* PlotPictureWindow() { return pictureWindow; }

} // namespace kt4::graphics
