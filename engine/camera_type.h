#pragma once

// Selects which profile table a profile index is looked up in.
enum class CameraType { DigitalCamera, MobilePhone };
