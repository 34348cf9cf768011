#pragma once

// libjpeg's error handling for C++ callers. libjpeg reports a fatal error by calling
// error_exit, which must not return; its default ends the whole program. This one
// jumps back to the caller instead and keeps the library's message.

#include <csetjmp>
#include <cstdio>
#include <string>
#include <type_traits>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

/// Catches the errors of one libjpeg object (compressor or decompressor). Warnings,
/// such as corrupt data the library recovers from or a file cut short, go to the
/// warning handler when one is set, and are otherwise ignored.
///
/// Use: install() before jpeg_create_compress / jpeg_create_decompress, then make the
/// library calls inside run(). The long jump out of a failed call skips destructors,
/// so everything that owns something (the libjpeg object itself, buffers, output)
/// must be built before run() and released by its owner afterwards, whether run()
/// succeeded or not; jpeg_destroy_* is safe on a zeroed object never created.
class JpegErrorManager {
public:
    JpegErrorManager() = default;
    JpegErrorManager(const JpegErrorManager&) = delete;
    JpegErrorManager& operator=(const JpegErrorManager&) = delete;

    /// Makes `cinfo` report its errors here. The library keeps a pointer to this
    /// manager, which must therefore stay alive until jpeg_destroy_* has run.
    void install(j_common_ptr cinfo);
    void install(jpeg_compress_struct& cinfo) { install(reinterpret_cast<j_common_ptr>(&cinfo)); }
    void install(jpeg_decompress_struct& cinfo) { install(reinterpret_cast<j_common_ptr>(&cinfo)); }

    /// Calls `steps()` and returns true, or returns false as soon as a library call
    /// inside fails; error_code() and message() then say why. C++ exceptions thrown
    /// by `steps` pass through unchanged. `steps` must hold no object with a
    /// destructor while it calls the library.
    template <class Steps>
    bool run(Steps&& steps)
    {
        return run_steps(&call<std::remove_reference_t<Steps>>, &steps);
    }

    /// Calls handler(cinfo, code, context) for each warning the library gives, with
    /// its message code (J_MESSAGE_CODE), while the library is still inside the call
    /// that found it, so the handler can read how far the object has got.
    using WarningHandler = void (*)(j_common_ptr cinfo, int code, void* context);
    void on_warning(WarningHandler handler, void* context)
    {
        warning_handler_ = handler;
        warning_context_ = context;
    }

    /// Ends the steps being run as a library error with message code `code` does
    /// (one of libjpeg's J_MESSAGE_CODE values), for refusals the caller decides on.
    [[noreturn]] void fail(int code);

    /// The message code (J_MESSAGE_CODE) of the error that ended the last run; 0
    /// when none did.
    int error_code() const { return error_code_; }
    /// The library's text for that error ("Not a JPEG file: starts with 0x68 0x65");
    /// empty when none did.
    std::string message() const { return message_; }

private:
    template <class Steps>
    static void call(void* steps)
    {
        (*static_cast<Steps*>(steps))();
    }
    bool run_steps(void (*call)(void*), void* steps);
    [[noreturn]] static void jump_back(j_common_ptr cinfo);
    static void emit(j_common_ptr cinfo, int level);

    jpeg_error_mgr library_{};
    std::jmp_buf jump_{};
    j_common_ptr cinfo_ = nullptr;
    int error_code_ = 0;
    WarningHandler warning_handler_ = nullptr;
    void* warning_context_ = nullptr;
    char message_[JMSG_LENGTH_MAX] = {};
};
