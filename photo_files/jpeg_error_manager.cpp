#include "photo_files/jpeg_error_manager.h"

namespace {

void ignore_output(j_common_ptr) {}

}  // namespace

void JpegErrorManager::install(j_common_ptr cinfo)
{
    cinfo->err = jpeg_std_error(&library_);
    library_.error_exit = jump_back;
    library_.emit_message = emit;
    library_.output_message = ignore_output;
    // jpeg_create_* clears the object but keeps this field, as it keeps `err`.
    cinfo->client_data = this;
    cinfo_ = cinfo;
}

void JpegErrorManager::jump_back(j_common_ptr cinfo)
{
    std::longjmp(static_cast<JpegErrorManager*>(cinfo->client_data)->jump_, 1);
}

void JpegErrorManager::emit(j_common_ptr cinfo, int level)
{
    // Levels 0 and above are trace messages; -1 is a warning.
    auto* manager = static_cast<JpegErrorManager*>(cinfo->client_data);
    if (level < 0 && manager->warning_handler_ != nullptr)
        manager->warning_handler_(cinfo, cinfo->err->msg_code, manager->warning_context_);
}

void JpegErrorManager::fail(int code)
{
    library_.msg_code = code;
    jump_back(cinfo_);
}

bool JpegErrorManager::run_steps(void (*call)(void*), void* steps)
{
    error_code_ = 0;
    message_[0] = '\0';
    // This frame holds nothing with a destructor, so the jump back to it skips none.
    if (setjmp(jump_) != 0) {
        error_code_ = library_.msg_code;
        library_.format_message(cinfo_, message_);
        return false;
    }
    call(steps);
    return true;
}
