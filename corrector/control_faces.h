#pragma once

/// Items of the main window's `icon_faces` image list: the faces the correction
/// button, the camera-type icons and the tools button switch between. The
/// corrector's presentation state names the face the correction button and the
/// camera icons show (`toggle_face`, `camera_faces`); the window's layout says
/// which picture each item is.
struct IconFace {
    enum : int {
        CorrectionOn,    // correction_button: automatic correction on
        CorrectionOff,   // correction_button: correction off (the start state)
        Camera,          // camera_icon: digital camera chosen
        CameraFaded,     // camera_icon: not chosen (the start state)
        Phone,           // phone_icon: mobile phone chosen
        PhoneFaded,      // phone_icon: not chosen (the start state)
        ToolsSign,       // tools_button: the panel is closed and may open
        ToolsSignFaded,  // tools_button: the panel is open or opening, or no photo is loaded yet
        Count
    };
};
