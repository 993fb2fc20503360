#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QVector>

// Where the monitors lie, in the three sets of coordinates the overlay meets:
// - overlay units: pixels of the X screen divided by the largest device pixel ratio, from
//   the top-left corner of all monitors together, so that they run on without gaps;
// - global logical coordinates, as Qt places top-level windows (each monitor's top-left
//   corner in X screen pixels, its extent divided by its own ratio);
// - device pixels of the X screen, which is what a recording holds.
// A plain value: built from the monitors' logical geometries and ratios, it needs no screen.
class ScreenLayout {
public:
    struct Monitor {
        QRect logical;      // the monitor's geometry as Qt gives it
        double ratio = 1.0; // its device pixel ratio
    };

    // No monitors: one area of `fallback`'s size at its top-left corner, ratio 1.
    ScreenLayout() = default;
    explicit ScreenLayout(const QVector<Monitor>& monitors, const QRect& fallback = QRect());

    int count() const { return int(parts_.size()); }
    QSize overlaySize() const { return overlaySize_; }
    // The i-th monitor's share of the overlay, its logical and its physical geometry.
    QRect area(int i) const { return parts_[i].area; }
    QRect logical(int i) const { return parts_[i].logical; }
    QRect physical(int i) const { return parts_[i].physical; }
    // Overlay units per logical unit of the i-th monitor.
    double toOverlay(int i) const { return parts_[i].toOverlay; }

    // The monitor that holds an overlay point; between or beyond them the nearest one.
    // -1 only without monitors.
    int partAt(QPoint overlayPoint) const;
    // A point in the i-th monitor's window (logical units) in overlay units.
    QPoint overlayPoint(int i, QPointF local) const;
    // A global logical point in overlay units (off every monitor: as on the first one).
    QPoint fromGlobal(QPoint global) const;
    // A top-level window's global geometry in overlay units.
    QRect overlayRect(const QRect& globalGeometry) const;
    // An overlay area moved off the edges the i-th monitor shares with another one, so that
    // it is neither cut off nor lands on the other monitor. Outer edges hold nothing back.
    QRect keptOnPart(const QRect& overlayArea, int i) const;
    // An overlay area as a top-level window's global geometry on the monitor that holds
    // `anchor`; with `keepOnScreen` first kept on that monitor (keptOnPart).
    QRect toGlobal(const QRect& overlayArea, QPoint anchor, bool keepOnScreen) const;
    // An overlay area in the i-th monitor's window coordinates, and back.
    QRect toLocal(const QRect& overlayArea, int i) const;
    QRect fromLocal(const QRect& local, int i) const;
    // An overlay area in device pixels of the X screen: what a recording of it holds.
    QRect physicalRect(const QRect& overlayArea) const;
    // Device pixels of the X screen (a window's frame, typed values) in overlay units: the
    // overlay area whose recording holds them, rounded outward to whole units.
    QRect fromPhysical(const QRect& pixels) const;
    // An overlay area inside the i-th monitor in that monitor's own pixels from its top-left
    // corner: what a picture of that monitor alone holds. Exact where physicalRect is off by
    // a pixel, as when a fractional ratio puts a monitor's corner between overlay units.
    QRect pixelsInPart(const QRect& overlayArea, int i) const;

private:
    struct Part {
        QRect logical;
        QRect physical;
        QRect area;
        double toOverlay = 1.0;
    };
    QVector<Part> parts_;
    QSize overlaySize_;
    QPoint fallbackOrigin_;
    QPoint physicalOrigin_;
    double ratio_ = 1.0;
};
