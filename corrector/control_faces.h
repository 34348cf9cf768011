#pragma once

/// Items of the main window's `bitmaplist` image list: the faces the correction
/// button and the camera-type icons switch between. The corrector's presentation
/// state names the face each of those controls shows (`toggle_face`,
/// `camera_faces`); the window's layout says which picture each item is.
struct BitmaplistFace {
    enum : int {
        CorrectionOn,    // tn_nappula: automatic correction on
        CorrectionOff,   // tn_nappula: correction off (the start state)
        Camera,          // cam_icon: digital camera chosen
        CameraFaded,     // cam_icon: not chosen (the start state)
        Phone,           // mob_icon: mobile phone chosen
        PhoneFaded,      // mob_icon: not chosen (the start state)
        ToolsSign,       // tools_button: the panel is closed and may open
        ToolsSignFaded,  // tools_button: the panel is open or opening, or no photo is loaded yet
        Count
    };
};
