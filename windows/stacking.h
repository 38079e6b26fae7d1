#pragma once

#include "windows/topmost.h"

class QWidget;

// The one stacking procedure, behind an interface so that tests can record the hand-over of the topmost
// band between the keypad and its secondary windows.
class WindowStacking
{
public:
    virtual ~WindowStacking() = default;
    virtual void SetTopMost(QWidget* window, bool on) = 0;
};

class NativeStacking : public WindowStacking
{
public:
    void SetTopMost(QWidget* window, bool on) override { ::SetTopMost(window, on); }
};
