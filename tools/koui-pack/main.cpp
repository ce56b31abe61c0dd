#include <string>
#include <vector>

#include "pack.h"

int main(int argc, char** argv) {
    return packTool(std::vector<std::string>(argv + 1, argv + argc));
}
