#pragma once

class QGraphicsView;

// The least a Qt program shows in a window of the phone program's size: a graphics view of a
// few rows of rectangles and text, linked against Qt Widgets only. The baseline of the
// start-up and memory benchmarks.
QGraphicsView *makeMinimalView();
