// swfrender: the SWF engine without a window. Runs a movie for some frames, prints its traces
// and writes the stage as a PNG picture:
//
//   swfrender MOVIE.swf [--frames N] [--png OUT.png] [--trace] [--size WxH]
//             [--quality low|medium|high]
//
// Exit code 0 when the movie ran; 2, with one line on standard error, when the movie cannot
// be read or is not a SWF movie, the options are wrong, or the picture cannot be written.
#include "tools/movie_session.h"

int main(int argc, char** argv) {
    return swfrender::Run(argc, argv, stdout, stderr);
}
