// How the player's pictures reach the window, chosen once per window by
// what the machine has:
//
//   GL path        SDL's accelerated renderer (OpenGL); each decoded picture
//                  goes into a texture at its own size and the GPU converts
//                  and scales it while drawing. Kept wherever OpenGL is
//                  hardware-accelerated.
//   software path  no GL: each shown picture is converted and scaled once,
//                  to the displayed size, by libswscale, and presented
//                  through SDL's software renderer, which draws into the
//                  window surface (X11 shared memory on X11) with SDL's
//                  framebuffer acceleration off, so that SDL does not put
//                  GL back under the window surface. Taken where the GL
//                  renderer is a software rasteriser (GL_RENDERER names
//                  llvmpipe, softpipe or swrast) or there is no GL.
//
// CINELOCK_DRAWING=gl or =software forces a path; unset, empty or "auto"
// chooses as above. The choice is logged at AV_LOG_INFO.
#ifndef CINELOCK_DRAWING_PATH_H
#define CINELOCK_DRAWING_PATH_H

#include <SDL.h>

#include <string>

namespace cinelock {

struct ProcessOutput;

enum class DrawingRequest { automatic, gl, software };

// The request a CINELOCK_DRAWING value makes (null: automatic). An unknown
// value is automatic (and logged as a warning by create_renderer).
DrawingRequest drawing_request_from(const char *value);
bool drawing_request_is_known(const char *value);

// Whether a GL_RENDERER string names one of Mesa's software rasterisers.
bool is_software_rasteriser(const std::string &gl_renderer);

// Decision for the automatic request once a GL renderer has been tried:
// renderer_name is SDL's name for the renderer it made (empty when none
// could be made), gl_renderer the GL_RENDERER string of its context (empty
// when not a GL renderer).
bool software_path_chosen(DrawingRequest request, const std::string &renderer_name,
                          const std::string &gl_renderer);

// Whether SDL creates windows with OpenGL for this request (a forced
// software path keeps GL out of the process altogether).
bool windows_need_opengl(DrawingRequest request);

// Makes output.renderer for output.window on the path the request and the
// machine choose, and sets output.software_drawing and
// output.picture_format. Leaves output.renderer null when no renderer
// could be made.
void create_renderer(ProcessOutput &output, DrawingRequest request);

}  // namespace cinelock

#endif
