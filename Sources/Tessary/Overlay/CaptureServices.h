#pragma once

class CapturePermission;
class FrontmostWindow;
class ScreenCapturer;
class TextRecognizer;
class WindowList;

// What capture sessions need from outside them, handed to the coordinator by its owner, who keeps
// each alive for as long as the coordinator.
struct CaptureServices {
    ScreenCapturer& capturer;
    WindowList& windowList;
    FrontmostWindow& frontmostWindow;
    CapturePermission& permission;
    TextRecognizer& recognizer;
};
