#pragma once

class CapturePermission;
class DisplayCapture;
class FrontmostWindow;
class ScreenCapturer;
class TextRecognizer;
class WindowList;

// What capture sessions need from outside them, handed to the coordinator by its owner, who keeps
// each alive for as long as the coordinator.
struct CaptureServices {
    ScreenCapturer& capturer;
    // Region grabs of a scrolling capture.
    DisplayCapture& displayCapture;
    WindowList& windowList;
    FrontmostWindow& frontmostWindow;
    CapturePermission& permission;
    TextRecognizer& recognizer;
};
