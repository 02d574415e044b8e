// Writes a C++ source that holds a file's bytes as an array, so that the build embeds
// resources without any toolkit's resource compiler.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: embed_file INPUT OUTPUT.cpp SYMBOL\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
        std::cerr << "embed_file: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ofstream out(argv[2]);
    out << "#include <cstddef>\n"
        << "extern const unsigned char " << argv[3] << "[] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out << (i % 24 == 0 ? "\n" : "") << static_cast<unsigned>(bytes[i]) << ',';
    out << "\n};\nextern const std::size_t " << argv[3] << "Size = " << bytes.size() << ";\n";
    out.close();
    if (!out) {
        std::cerr << "embed_file: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
