#pragma once
// A form's minimum width overrides what its layout needs, so a page could be
// squeezed below its contents and cut their texts.
class QWidget;

// Keeps the widget at least as wide as its layout needs, whenever that
// changes; the minimum width it has now stays the floor.
void keepContentsWidth(QWidget *widget);
