// tavorin-embed OUT.cpp NAME=FILE...
// Writes the definitions of BinaryData::NAME and BinaryData::NAMESize for every file, in plain C++
// (no JUCE: the build runs it before the product library exists). The data go out as string
// literals, which compilers read far faster than lists of numbers.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace
{
struct Resource
{
    std::string name;
    std::vector<unsigned char> bytes;
};

constexpr size_t bytesPerLine = 96;

bool readFile (const std::string& path, std::vector<unsigned char>& bytes)
{
    std::ifstream in (path, std::ios::binary);

    if (! in)
        return false;

    bytes.assign (std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>());
    return ! in.bad();
}

// Printable characters stand as they are; everything else (and the characters that would start an
// escape, a trigraph or end the literal) as a three-digit octal escape, which never swallows the
// character after it.
void writeLiteral (std::ostream& out, const std::vector<unsigned char>& bytes)
{
    for (size_t start = 0; start < bytes.size(); start += bytesPerLine)
    {
        out << "    \"";

        for (size_t i = start; i < std::min (bytes.size(), start + bytesPerLine); ++i)
        {
            const auto c = bytes[i];

            if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\' && c != '?')
            {
                out << static_cast<char> (c);
            }
            else
            {
                char escape[5];
                std::snprintf (escape, sizeof (escape), "\\%03o", c);
                out << escape;
            }
        }

        out << "\"\n";
    }

    if (bytes.empty())
        out << "    \"\"\n";
}

std::string makeSource (const std::vector<Resource>& resources)
{
    std::ostringstream out;
    out << "// Written by tavorin-embed; do not edit.\n\n#include <cstring>\n\nnamespace BinaryData\n{\n";

    for (size_t i = 0; i < resources.size(); ++i)
    {
        const auto& r = resources[i];
        out << "static const unsigned char data" << i << "[" << r.bytes.size() + 1 << "] =\n";
        writeLiteral (out, r.bytes);
        out << ";\n";
        out << "const char* " << r.name << " = reinterpret_cast<const char*> (data" << i << ");\n";
        // extern: a namespace-scope const would otherwise be private to this file.
        out << "extern const int " << r.name << "Size = " << r.bytes.size() << ";\n\n";
    }

    out << "const char* namedResourceList[] =\n{\n";
    for (const auto& r : resources)
        out << "    \"" << r.name << "\",\n";
    out << "    nullptr\n};\n\n";
    out << "extern const int namedResourceListSize = " << resources.size() << ";\n\n";

    out << "const char* getNamedResource (const char* resourceName, int& numBytes)\n{\n";
    for (const auto& r : resources)
        out << "    if (std::strcmp (resourceName, \"" << r.name << "\") == 0) { numBytes = "
            << r.name << "Size; return " << r.name << "; }\n";
    out << "    numBytes = 0;\n    return nullptr;\n}\n}\n";
    return out.str();
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 2)
    {
        std::cerr << "usage: tavorin-embed OUT.cpp NAME=FILE...\n";
        return 2;
    }

    std::vector<Resource> resources;

    for (int i = 2; i < argc; ++i)
    {
        const std::string argument = argv[i];
        const auto equals = argument.find ('=');

        if (equals == std::string::npos || equals == 0)
        {
            std::cerr << "tavorin-embed: expected NAME=FILE, got " << argument << "\n";
            return 2;
        }

        Resource r { argument.substr (0, equals), {} };

        if (! readFile (argument.substr (equals + 1), r.bytes))
        {
            std::cerr << "tavorin-embed: cannot read " << argument.substr (equals + 1) << "\n";
            return 1;
        }

        resources.push_back (std::move (r));
    }

    const auto outPath = std::string (argv[1]);
    const auto tempPath = outPath + ".tmp";
    {
        std::ofstream out (tempPath, std::ios::binary | std::ios::trunc);
        out << makeSource (resources);

        if (! out.flush())
        {
            std::cerr << "tavorin-embed: cannot write " << tempPath << "\n";
            return 1;
        }
    }

    if (std::rename (tempPath.c_str(), outPath.c_str()) != 0)
    {
        std::cerr << "tavorin-embed: cannot replace " << outPath << "\n";
        return 1;
    }

    return 0;
}
