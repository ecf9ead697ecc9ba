#pragma once

#include <QString>

// Style-sheet rules for the launcher's pictures. The pictures are resources
// named ":/mainwindow/..."; where one is not in this build, the widget gets
// the fallback rules instead (the same shape in the art direction's colours),
// so that nothing is left invisible.
namespace ArtStyle {

// Parchment text and panel, ink for text on parchment, ember accents.
inline constexpr const char *Parchment = "#fff2e2";
inline constexpr const char *Ink = "#333333";
inline constexpr const char *Ember = "#c66030";
// Ember deep enough to read on parchment and on the highlight below (5 : 1
// and more): the text of a highlighted entry.
inline constexpr const char *EmberDeep = "#8a3510";
// The highlight behind an entry under the mouse: a faint ember on parchment.
inline constexpr const char *EntryHighlight = "#f7ddc9";
// The face of a disabled button (parchment text on it: 5 : 1).
inline constexpr const char *Slate = "#6b635d";
// Corner radius of the small panels and pop-ups.
inline constexpr int PanelRadius = 6;

// "border-image: url(<resource>) <border> stretch;" when the picture exists,
// otherwise `fallback`.
QString image(const QString &resource, const QString &fallback, int border = 0);

// The rules of a picture button in its three states (resource names without
// the "_normal", "_hover" and "_press" endings), selected by `selector`; when
// disabled it shows the "_disabled" picture (a slate plate) or a slate face.
QString buttonRules(const QString &selector, const QString &resourceStem, const QString &fallbackBackground,
    const QString &textColour, int pixelSize);

} // namespace ArtStyle
