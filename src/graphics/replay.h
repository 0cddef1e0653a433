// Replay of the display list onto a canvas (and, while printing, onto a
// printer page), and the stops of an animation that plays frame by frame.
// A replay never waits, asks or yields: pauses and single steps are the
// frame driver's business (NextPlaybackStop).
#pragma once

#include "graphics/graph_canvas.h"
#include "graphics/graph_window.h"

#include <cstddef>

namespace kt4::graphics {

class DisplayReplay {
public:
    // Starts a replay of window's list: resets the record caches and the
    // replay state, and draws the printer's border line when asked.
    DisplayReplay(TGraphWindow& window, GraphCanvas& screen, const PrintTarget* printer = nullptr);
    // Replays records [from, to), carrying the state of earlier calls on.
    void Run(std::size_t from, std::size_t to);
    void RunAll();

private:
    void ApplyColor(Integer n);
    void DrawText(double x, double y, std::string_view text);
    PixelPoint Scr(double x, double y) const;
    PixelPoint Prn(double x, double y) const;
    Integer PrnLengthX(double l) const;
    Integer PrnLengthY(double l) const;
    void BorderLine();

    TGraphWindow& win_;
    GraphCanvas& screen_;
    const PrintTarget* printer_;
    Integer colorNo_ = 1;
    double textHeight_ = 3.5, textWidth_ = 3.5, textAngle_ = 0;
    GraphColor brush_ = 0, printerBrush_ = 0, textColor_ = 0;
    PixelPoint pen_, printerPen_;
};

// Where a playing animation stops next, searching from record "from".
struct PlaybackStop {
    enum Kind { End, Pause, Step } kind = End;
    std::size_t index = 0; // the pause or erase-colour record (End: Count())
    Integer ms = 0;        // length of a pause
};
PlaybackStop NextPlaybackStop(const TDisplayList& list, std::size_t from, bool singleStep);

} // namespace kt4::graphics
