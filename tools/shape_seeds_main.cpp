// shapeseeds: writes the shape fuzzer's seed inputs (ShapeSeeds) into a folder.
//
//   shapeseeds DIR
#include <cstdio>
#include <string>

#include "tools/swf_shape_writer.h"
#include "tools/swf_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: shapeseeds DIR\n");
        return 2;
    }
    for (const swfwriter::ShapeSeed& seed : swfwriter::ShapeSeeds()) {
        if (!swfwriter::WriteFile(std::string(argv[1]) + "/" + seed.name, seed.bytes)) {
            std::fprintf(stderr, "shapeseeds: cannot write %s/%s\n", argv[1], seed.name.c_str());
            return 1;
        }
    }
    return 0;
}
