// Build-time tool (runs on the build machine, never shipped): turns the text-art files of resources/art
// into the icon, cursor and toolbar-bitmap files that Trimwell.rc compiles into the program, and paints
// the sample photograph that ./run opens when it is given no file.
//
//   ResourceArt art ART_DIR LIST_FILE OUT_DIR
//   ResourceArt photo OUT.ppm WIDTH HEIGHT
//
// Art files are rows of equal length; each character is a colour of ART_DIR/palette.txt, '.' is
// transparent (magenta in toolbar strips). Lines starting with ';' are comments. The list file names the
// resources: "icon ID art...", "cursor ID layer..." (layers drawn over each other, "name@90" turns a
// layer clockwise), "strip ID art..." and "strip-disabled ID art..." (16 x 16 images side by side). Each
// strip is also drawn at the sides of the larger display scales, 20, 24 and 32 pixels, by repeating art
// pixels, as strips ID + 10, ID + 20 and ID + 30.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

struct Art {
    int width = 0, height = 0;
    std::vector<char> cells;  // row-major, top row first
    char at(int x, int y) const { return cells[size_t(y) * width + x]; }
};

std::map<char, Rgb> palette;
std::string artDir;

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "ResourceArt: %s\n", message.c_str());
    std::exit(1);
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    if (!in) fail("cannot read " + path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        lines.push_back(line);
    }
    return lines;
}

void loadPalette() {
    for (const std::string& line : readLines(artDir + "/palette.txt")) {
        std::istringstream fields(line);
        std::string key, hex;
        fields >> key >> hex;
        if (key.size() != 1 || hex.size() != 6) fail("bad palette line: " + line);
        unsigned long v = std::strtoul(hex.c_str(), nullptr, 16);
        palette[key[0]] = Rgb{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    }
}

Art loadArt(const std::string& name) {
    Art art;
    std::vector<std::string> lines = readLines(artDir + "/" + name + ".txt");
    if (lines.empty()) fail("empty art " + name);
    art.width = int(lines[0].size());
    art.height = int(lines.size());
    for (const std::string& line : lines) {
        if (int(line.size()) != art.width) fail("ragged row in " + name + ": " + line);
        for (char c : line) {
            if (c != '.' && !palette.count(c)) fail(std::string("unknown colour '") + c + "' in " + name);
            art.cells.push_back(c);
        }
    }
    return art;
}

// "name" or "name@90" / "@180" / "@270": the art turned clockwise (square art only).
Art loadLayer(const std::string& spec) {
    size_t at = spec.find('@');
    Art art = loadArt(spec.substr(0, at));
    int turns = at == std::string::npos ? 0 : std::atoi(spec.c_str() + at + 1) / 90;
    for (int t = 0; t < turns; ++t) {
        if (art.width != art.height) fail("only square art turns: " + spec);
        Art turned = art;
        int n = art.width;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) turned.cells[size_t(y) * n + x] = art.at(y, n - 1 - x);
        art = turned;
    }
    return art;
}

void put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) fail("cannot write " + path);
}

void putInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageBytes) {
    put32(out, 40);
    put32(out, uint32_t(width));
    put32(out, uint32_t(height));
    put16(out, 1);
    put16(out, unsigned(bits));
    put32(out, 0);
    put32(out, imageBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
}

int maskStride(int width) { return ((width + 31) / 32) * 4; }

// AND mask rows bottom-up: 1 where the art is transparent.
void putAndMask(std::vector<uint8_t>& out, const Art& art) {
    int stride = maskStride(art.width);
    for (int y = art.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(size_t(stride), 0);
        for (int x = 0; x < art.width; ++x)
            if (art.at(x, y) == '.') row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
}

// One icon-directory image: 32-bit colour with an AND mask for the icon; 1-bit black and white for cursors.
std::vector<uint8_t> iconImage(const Art& art, bool monochrome) {
    std::vector<uint8_t> out;
    int xorStride = monochrome ? maskStride(art.width) : art.width * 4;
    uint32_t bytes = uint32_t((xorStride + maskStride(art.width)) * art.height);
    putInfoHeader(out, art.width, art.height * 2, monochrome ? 1 : 32, bytes);
    if (monochrome) {
        put32(out, 0x00000000);
        put32(out, 0x00FFFFFF);
    }
    for (int y = art.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(size_t(xorStride), 0);
        for (int x = 0; x < art.width; ++x) {
            char c = art.at(x, y);
            if (c == '.') continue;
            Rgb rgb = palette[c];
            if (monochrome) {
                if (rgb.r + rgb.g + rgb.b >= 3 * 128) row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
            } else {
                row[size_t(x) * 4] = rgb.b;
                row[size_t(x) * 4 + 1] = rgb.g;
                row[size_t(x) * 4 + 2] = rgb.r;
                row[size_t(x) * 4 + 3] = 255;
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    putAndMask(out, art);
    return out;
}

void writeIconFile(const std::string& path, const std::vector<Art>& images, bool cursor) {
    std::vector<std::vector<uint8_t>> bodies;
    for (const Art& art : images) bodies.push_back(iconImage(art, cursor));
    std::vector<uint8_t> out;
    put16(out, 0);
    put16(out, cursor ? 2 : 1);
    put16(out, unsigned(images.size()));
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const Art& art = images[i];
        out.push_back(uint8_t(art.width & 0xFF));
        out.push_back(uint8_t(art.height & 0xFF));
        out.push_back(cursor ? 2 : 0);
        out.push_back(0);
        // Cursors keep their hot spot here: the centre of the picture.
        put16(out, cursor ? unsigned(art.width / 2) : 1);
        put16(out, cursor ? unsigned(art.height / 2) : 32);
        put32(out, uint32_t(bodies[i].size()));
        put32(out, offset);
        offset += uint32_t(bodies[i].size());
    }
    for (const auto& body : bodies) out.insert(out.end(), body.begin(), body.end());
    writeFile(path, out);
}

Art overlay(const std::vector<std::string>& layers) {
    Art result = loadLayer(layers.at(0));
    for (size_t i = 1; i < layers.size(); ++i) {
        Art layer = loadLayer(layers[i]);
        if (layer.width != result.width || layer.height != result.height) fail("layer size differs: " + layers[i]);
        for (size_t k = 0; k < layer.cells.size(); ++k)
            if (layer.cells[k] != '.') result.cells[k] = layer.cells[k];
    }
    return result;
}

// Disabled look: every drawn pixel becomes a light grey of its brightness, so the shape stays readable.
Rgb disabledColour(Rgb c) {
    int luma = (c.r * 30 + c.g * 59 + c.b * 11) / 100;
    uint8_t v = uint8_t(112 + luma * 96 / 255);
    return Rgb{v, v, v};
}

void writeStrip(const std::string& path, const std::vector<std::string>& names, bool disabled, int side) {
    std::vector<Art> images;
    for (const std::string& name : names) {
        images.push_back(loadArt(name));
        if (images.back().width != 16 || images.back().height != 16) fail(name + " is not 16 x 16");
    }
    int width = side * int(images.size()), height = side;
    int stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, uint32_t(54 + stride * height));
    put32(out, 0);
    put32(out, 54);
    putInfoHeader(out, width, height, 24, uint32_t(stride * height));
    for (int y = height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(size_t(stride), 0);
        for (int x = 0; x < width; ++x) {
            // The art pixel under the centre of the device pixel: an even spread of the doubled ones.
            char c = images[size_t(x / side)].at((x % side * 2 + 1) * 16 / (side * 2), (y * 2 + 1) * 16 / (side * 2));
            Rgb rgb{255, 0, 255};
            if (c != '.') rgb = disabled ? disabledColour(palette[c]) : palette[c];
            row[size_t(x) * 3] = rgb.b;
            row[size_t(x) * 3 + 1] = rgb.g;
            row[size_t(x) * 3 + 2] = rgb.r;
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    writeFile(path, out);
}

int runArt(const std::string& listPath, const std::string& outDir) {
    loadPalette();
    for (const std::string& line : readLines(listPath)) {
        std::istringstream fields(line);
        std::string kind, id, name;
        fields >> kind >> id;
        std::vector<std::string> names;
        while (fields >> name) names.push_back(name);
        if (names.empty()) fail("nothing listed for " + kind + " " + id);
        if (kind == "icon") {
            std::vector<Art> images;
            for (const std::string& n : names) images.push_back(loadArt(n));
            writeIconFile(outDir + "/icon" + id + ".ico", images, false);
        } else if (kind == "cursor") {
            Art art = overlay(names);
            if (art.width != 32 || art.height != 32) fail("cursor " + id + " is not 32 x 32");
            writeIconFile(outDir + "/cursor" + id + ".cur", {art}, true);
        } else if (kind == "strip" || kind == "strip-disabled") {
            const int sides[] = {16, 20, 24, 32};
            for (int step = 0; step < 4; ++step)
                writeStrip(outDir + "/strip" + std::to_string(std::stoi(id) + 10 * step) + ".bmp", names,
                           kind == "strip-disabled", sides[step]);
        } else {
            fail("unknown kind " + kind);
        }
    }
    return 0;
}

// Small deterministic value noise, so the sample photograph has texture without any random source.
double hashNoise(int x, int y) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double(h ^ (h >> 16)) / 4294967295.0;
}
double smoothNoise(double x, double y) {
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    double fx = x - ix, fy = y - iy;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    double a = hashNoise(ix, iy), b = hashNoise(ix + 1, iy), c = hashNoise(ix, iy + 1), d = hashNoise(ix + 1, iy + 1);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}
double fractal(double x, double y) {
    double sum = 0, scale = 1, amplitude = 0.5;
    for (int octave = 0; octave < 5; ++octave) {
        sum += smoothNoise(x * scale, y * scale) * amplitude;
        scale *= 2;
        amplitude *= 0.5;
    }
    return sum;
}

uint8_t clampByte(double v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// A landscape: sky with a sun, two mountain ridges, a lake reflecting the sky, a meadow in front.
int runPhoto(const std::string& path, int width, int height) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    double sunX = width * 0.72, sunY = height * 0.22, sunR = height * 0.06;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double u = double(x) / width, v = double(y) / height;
            double ridgeFar = 0.42 - 0.12 * fractal(u * 3, 1.5) - 0.05 * std::sin(u * 7);
            double ridgeNear = 0.55 - 0.10 * fractal(u * 5 + 10, 4.5);
            double shore = 0.66 + 0.02 * std::sin(u * 11);
            double r, g, b;
            double sv = v;
            bool water = v > shore && v < 0.8;
            if (water) sv = shore - (v - shore) * 2.5;  // the lake mirrors the hills, mountains and sky
            if (sv < ridgeFar) {
                double d = std::hypot(x - sunX, (sv * height) - sunY);
                r = 110 + 120 * sv; g = 160 + 80 * sv; b = 235 - 20 * sv;
                double cloud = fractal(u * 6, sv * 14) - 0.45;
                if (cloud > 0) { r += cloud * 400; g += cloud * 400; b += cloud * 200; }
                if (d < sunR) { r = 255; g = 245; b = 210; }
                else if (d < sunR * 3) { double k = 1 - (d - sunR) / (sunR * 2); r += 60 * k; g += 50 * k; b += 10 * k; }
            } else if (sv < ridgeNear) {
                double n = fractal(u * 40, sv * 40);
                r = 90 + 50 * n; g = 100 + 50 * n; b = 130 + 40 * n;
                if (sv < ridgeFar + 0.03) { r += 90; g += 90; b += 80; }  // snow line
            } else {
                double n = fractal(u * 60, sv * 60);
                r = 50 + 60 * n; g = 110 + 70 * n; b = 40 + 30 * n;
            }
            if (water) {
                double ripple = 0.85 + 0.15 * std::sin(y * 1.3 + fractal(u * 20, v * 80) * 6);
                r = r * 0.6 * ripple + 10; g = g * 0.7 * ripple + 20; b = b * 0.8 * ripple + 40;
            } else if (v >= 0.8) {
                double n = fractal(u * 90, v * 90);
                r = 70 + 80 * n; g = 130 + 90 * n; b = 40 + 30 * n;
                if (hashNoise(x / 6, y / 6) > 0.985) { r = 240; g = 220; b = 60; }  // flowers
            }
            out.put(char(clampByte(r)));
            out.put(char(clampByte(g)));
            out.put(char(clampByte(b)));
        }
    }
    return out ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "art") {
        artDir = argv[2];
        return runArt(argv[3], argv[4]);
    }
    if (argc == 5 && std::string(argv[1]) == "photo") return runPhoto(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::fprintf(stderr, "usage: ResourceArt art ART_DIR LIST OUT_DIR | photo OUT.ppm WIDTH HEIGHT\n");
    return 2;
}
