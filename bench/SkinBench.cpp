// Speed of the skin pipeline against the libraries it is measured by: markup parsing against
// TinyXML (and pugixml when it is built), archive lookup plus inflate against zlib's inflate alone,
// image decoding plus premultiplication against stb_image's decode alone. Prints figures and ratios.
#include <windows.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <stb_image.h>
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
#pragma GCC diagnostic pop
#include <tinyxml.h>
#ifdef HAVE_PUGIXML
#include <pugixml.hpp>
#endif

#include "UiLib/render/UIImage.h"
#include "UiLib/render/UIMarkup.h"
#include "UiLib/render/UIResource.h"
#include "UiLib/render/UISkinArchive.h"
#include "bench/LayoutPaintBench.h"

using namespace UiLib;

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int CallsPerBatch(const std::function<void()>& work) {
    work();
    int calls = 1;
    for (;;) {
        const double start = Now();
        for (int i = 0; i < calls; ++i) work();
        if (Now() - start >= 0.05) return calls;
        calls *= 2;
    }
}

// Seconds per call of each side: batches of at least 50 ms taken in turns, so that a busy machine
// slows both alike, and the best batch of each side counts.
std::pair<double, double> SecondsPerCall(const std::function<void()>& ours, const std::function<void()>& theirs) {
    const int oursCalls = CallsPerBatch(ours), theirsCalls = CallsPerBatch(theirs);
    double oursBest = 1e30, theirsBest = 1e30;
    for (int round = 0; round < 7; ++round) {
        double start = Now();
        for (int i = 0; i < oursCalls; ++i) ours();
        oursBest = std::min(oursBest, (Now() - start) / oursCalls);
        start = Now();
        for (int i = 0; i < theirsCalls; ++i) theirs();
        theirsBest = std::min(theirsBest, (Now() - start) / theirsCalls);
    }
    return {oursBest, theirsBest};
}

// A main window of the kind the skin holds: fonts, images and defaults, a caption bar, tabs, a
// list of game buttons, Chinese texts and image attributes with source rectangles.
std::string RealisticLayout() {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<Window size=\"970,660\" caption=\"0,0,0,90\" roundcorner=\"5,5\" mininfo=\"970,660\" showdirty=\"false\">\n"
        "  <Font name=\"\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91\" size=\"18\" />\n"
        "  <Font name=\"\xE5\xAE\x8B\xE4\xBD\x93\" size=\"12\" bold=\"true\" />\n"
        "  <Font name=\"\xE5\xAE\x8B\xE4\xBD\x93\" size=\"12\" default=\"true\" />\n"
        "  <Image name=\"scrollbar.bmp\" mask=\"#FFFF00FF\" />\n"
        "  <Default name=\"VScrollBar\" value=\"button1normalimage=&quot;file='scrollbar.bmp' source='0,0,16,16' mask='#FFFF00FF'&quot; "
        "button1hotimage=&quot;file='scrollbar.bmp' source='16,0,32,16' mask='#FFFF00FF'&quot; thumbnormalimage=&quot;file='scrollbar.bmp' "
        "source='0,90,16,106' corner='2,2,2,2' mask='#FFFF00FF'&quot;\" />\n"
        "  <!-- caption bar and tabs -->\n"
        "  <VerticalLayout bkimage=\"file='bg.png' corner='10,90,10,10'\" bkcolor=\"#FFF4F6F8\">\n"
        "    <HorizontalLayout height=\"90\" inset=\"10,0,10,0\">\n"
        "      <Label name=\"title\" text=\"\xE6\xB8\xB8\xE6\x88\x8F\xE7\xAE\xA1\xE5\xAE\xB6 1.0.0.0\" font=\"0\" textcolor=\"#FFFFFFFF\" width=\"200\" />\n";
    const char* tabs[] = {"mygame", "portal1", "portal2", "portal3", "portal4"};
    for (const char* tab : tabs) {
        text += std::string("      <Option name=\"") + tab + "\" group=\"tabs\" width=\"100\" height=\"60\" "
                "normalimage=\"file='tab.png' source='0,0,100,60'\" hotimage=\"file='tab.png' source='100,0,200,60'\" "
                "selectedimage=\"file='tab.png' source='200,0,300,60'\" text=\"\xE6\x88\x91\xE7\x9A\x84\xE6\xB8\xB8\xE6\x88\x8F\" />\n";
    }
    text += "      <Control />\n"
            "      <Button name=\"minbtn\" width=\"27\" height=\"22\" normalimage=\"file='sys.png' source='0,0,27,22'\" tooltip=\"\xE6\x9C\x80\xE5\xB0\x8F\xE5\x8C\x96\" />\n"
            "      <Button name=\"closebtn\" width=\"27\" height=\"22\" normalimage=\"file='sys.png' source='27,0,54,22'\" tooltip=\"\xE5\x85\xB3\xE9\x97\xAD\" />\n"
            "    </HorizontalLayout>\n"
            "    <TabLayout name=\"tabs\">\n"
            "      <HorizontalLayout>\n"
            "        <VerticalLayout name=\"gamelist\" width=\"260\" vscrollbar=\"true\" inset=\"4,4,4,4\" childpadding=\"2\">\n";
    for (int i = 0; i < 40; ++i) {
        text += "          <Option name=\"gamebtn\" height=\"40\" text=\"\xE6\xB8\xB8\xE6\x88\x8F " + std::to_string(i) +
                "\" tag=\"" + std::to_string(1000 + i) + "\" userdata=\"C:\\Games\\Game" + std::to_string(i) +
                "\\game.exe,C:\\Games\\Game" + std::to_string(i) + "\\uninst.exe\" group=\"games\" "
                "normalimage=\"file='gamebtn.png' source='0,0,250,40' corner='4,4,4,4'\" textpadding=\"44,0,4,0\" align=\"left\" />\n";
    }
    text += "        </VerticalLayout>\n"
            "        <VerticalLayout><IEWndUI name=\"strategy\" /><Button name=\"startgame\" height=\"40\" enabled=\"false\" /></VerticalLayout>\n"
            "      </HorizontalLayout>\n";
    for (int i = 1; i <= 4; ++i) text += "      <IEWndUI name=\"portal" + std::to_string(i) + "\" />\n";
    text += "    </TabLayout>\n  </VerticalLayout>\n</Window>\n";
    return text;
}

// Nested containers with many attributed controls, to about `target` bytes.
std::string GeneratedLayout(size_t target) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"800,600\">\n";
    for (int block = 0; text.size() < target; ++block) {
        text += "  <VerticalLayout name=\"block" + std::to_string(block) + "\" inset=\"2,2,2,2\">\n";
        for (int row = 0; row < 8; ++row) {
            text += "    <HorizontalLayout height=\"24\" childpadding=\"4\">\n";
            for (int item = 0; item < 6; ++item) {
                text += "      <Button name=\"b" + std::to_string(item) + "\" text=\"\xE6\x8C\x89\xE9\x92\xAE &amp; " +
                        std::to_string(row) + "\" width=\"60\" normalimage=\"file='btn.png' source='0,0,60,24'\" "
                        "textcolor=\"#FF333333\" />\n";
            }
            text += "      <Label text=\"\xE8\xAF\xB4\xE6\x98\x8E\">row text &lt;" + std::to_string(row) + "&gt;</Label>\n";
            text += "    </HorizontalLayout>\n";
        }
        text += "  </VerticalLayout>\n";
    }
    return text + "</Window>\n";
}

void AppendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}

// A skin-like picture: gradients, a translucent border and magenta mask pixels.
std::string SkinPicture(int width, int height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
            const bool border = x < 6 || y < 6 || x >= width - 6 || y >= height - 6;
            const bool mask = (x / 16 + y / 16) % 7 == 0;
            p[0] = mask ? 255 : static_cast<uint8_t>(x * 255 / width);
            p[1] = mask ? 0 : static_cast<uint8_t>(y * 255 / height);
            p[2] = mask ? 255 : static_cast<uint8_t>((x + y) & 0xFF);
            p[3] = border ? static_cast<uint8_t>(40 * (x % 6 + 1)) : 255;
        }
    }
    std::string out;
    stbi_write_png_to_func(&AppendBytes, &out, width, height, 4, pixels.data(), width * 4);
    return out;
}

std::string RawDeflate(const std::string& data) {
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

void Put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

struct ArchiveMember {
    std::string name;
    std::string data;
    std::string packed;
};

std::string BuildArchive(std::vector<ArchiveMember>& members) {
    std::string out, directory;
    for (ArchiveMember& member : members) {
        member.packed = RawDeflate(member.data);
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(member.data.data()), static_cast<uInt>(member.data.size())));
        const uint32_t offset = static_cast<uint32_t>(out.size());
        Put(out, 0x04034b50, 4), Put(out, 20, 2), Put(out, 0, 2), Put(out, 8, 2), Put(out, 0, 4), Put(out, crc, 4);
        Put(out, static_cast<uint32_t>(member.packed.size()), 4), Put(out, static_cast<uint32_t>(member.data.size()), 4);
        Put(out, static_cast<uint32_t>(member.name.size()), 2), Put(out, 0, 2);
        out += member.name + member.packed;
        Put(directory, 0x02014b50, 4), Put(directory, 20, 2), Put(directory, 20, 2), Put(directory, 0, 2);
        Put(directory, 8, 2), Put(directory, 0, 4), Put(directory, crc, 4);
        Put(directory, static_cast<uint32_t>(member.packed.size()), 4), Put(directory, static_cast<uint32_t>(member.data.size()), 4);
        Put(directory, static_cast<uint32_t>(member.name.size()), 2), Put(directory, 0, 4), Put(directory, 0, 4);
        Put(directory, 0, 4), Put(directory, offset, 4);
        directory += member.name;
    }
    const uint32_t directoryOffset = static_cast<uint32_t>(out.size());
    out += directory;
    Put(out, 0x06054b50, 4), Put(out, 0, 4), Put(out, static_cast<uint32_t>(members.size()), 2);
    Put(out, static_cast<uint32_t>(members.size()), 2), Put(out, static_cast<uint32_t>(directory.size()), 4);
    Put(out, directoryOffset, 4), Put(out, 0, 2);
    return out;
}

void InflateAlone(const std::string& packed, std::vector<uint8_t>& output) {
    z_stream stream{};
    inflateInit2(&stream, -MAX_WBITS);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
}

double MiBPerSecond(size_t bytes, double seconds) { return static_cast<double>(bytes) / (1024.0 * 1024.0) / seconds; }

// Every side parses into a fresh document and reads its result back, so that the work is the
// same and none of it can be left out.
volatile int resultsSeen = 0;

void BenchMarkup(const char* label, const std::string& layout) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(layout.data());
    CSkinMarkup markup;
    if (!markup.LoadFromMem(bytes, layout.size())) {
        std::printf("  %s: does not parse (%ls)\n", label, markup.GetLastErrorMessage());
        return;
    }
    const auto parseOurs = [&] {
        CSkinMarkup document;
        resultsSeen = resultsSeen + (document.LoadFromMem(bytes, layout.size()) && document.GetRoot().IsValid());
    };
    const auto [ours, tiny] = SecondsPerCall(parseOurs, [&] {
        TiXmlDocument document;
        document.Parse(layout.c_str(), nullptr, TIXML_ENCODING_UTF8);
        resultsSeen = resultsSeen + (!document.Error() && document.RootElement() != nullptr);
    });
    std::printf("  %-18s %9zu bytes  CSkinMarkup %8.1f MiB/s  TinyXML %7.1f MiB/s  ratio %6.1fx", label, layout.size(),
                MiBPerSecond(layout.size(), ours), MiBPerSecond(layout.size(), tiny), tiny / ours);
#ifdef HAVE_PUGIXML
    const auto [oursAgain, pugi] = SecondsPerCall(parseOurs, [&] {
        pugi::xml_document document;
        resultsSeen = resultsSeen + (document.load_buffer(layout.data(), layout.size()) && document.first_child());
    });
    std::printf("  pugixml %7.1f MiB/s  ratio %5.2fx", MiBPerSecond(layout.size(), pugi), pugi / oursAgain);
#endif
    std::printf("\n");
}

void BenchArchive(const char* label, std::vector<ArchiveMember>& members, const std::string& archive) {
    CResourceConfig::SetResourceZip(static_cast<const wchar_t*>(nullptr), false);
    CResourceConfig::SetResourceZip(archive.data(), archive.size());
    size_t total = 0;
    std::vector<std::wstring> names;
    for (const ArchiveMember& member : members) {
        names.emplace_back(member.name.begin(), member.name.end());
        // Looked up in another spelling, as layouts name their files.
        std::transform(names.back().begin(), names.back().end(), names.back().begin(),
                       [](wchar_t c) { return c == L'/' ? L'\\' : static_cast<wchar_t>(towupper(c)); });
        total += member.data.size();
    }
    std::vector<uint8_t> bytes;
    std::vector<std::vector<uint8_t>> outputs;
    for (const ArchiveMember& member : members) outputs.emplace_back(member.data.size());
    const auto [ours, zlib] = SecondsPerCall([&] {
        for (const std::wstring& name : names) {
            if (ReadSkinFile(name, 64u << 20, bytes) != ResourceReadStatus::Ok) std::printf("lookup failed\n");
        }
    }, [&] {
        for (size_t i = 0; i < members.size(); ++i) InflateAlone(members[i].packed, outputs[i]);
    });
    std::printf("  %-34s %9zu bytes  lookup+inflate %7.1f MiB/s  zlib inflate %7.1f MiB/s  ratio %5.2f\n", label, total,
                MiBPerSecond(total, ours), MiBPerSecond(total, zlib), zlib / ours);
}

void BenchImages(const char* label, const std::vector<std::string>& pictures, DWORD mask) {
    size_t pixels = 0;
    for (const std::string& picture : pictures) {
        int width = 0, height = 0, components = 0;
        stbi_info_from_memory(reinterpret_cast<const stbi_uc*>(picture.data()), static_cast<int>(picture.size()), &width,
                              &height, &components);
        pixels += static_cast<size_t>(width) * height;
    }
    const auto [ours, stb] = SecondsPerCall([&] {
        for (const std::string& picture : pictures) {
            auto image = DecodeImage(reinterpret_cast<const uint8_t*>(picture.data()), picture.size(), mask);
            if (image == nullptr) std::printf("decode failed\n");
        }
    }, [&] {
        for (const std::string& picture : pictures) {
            int width = 0, height = 0, components = 0;
            stbi_uc* decoded = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(picture.data()),
                                                     static_cast<int>(picture.size()), &width, &height, &components, 4);
            if (decoded == nullptr) std::printf("decode failed\n");
            stbi_image_free(decoded);
        }
    });
    std::printf("  %-34s %9zu pixels  decode+premultiply %7.1f Mpx/s  stb_image decode %7.1f Mpx/s  ratio %5.2f\n", label,
                pixels, pixels / ours / 1e6, pixels / stb / 1e6, stb / ours);
}

}  // namespace

// "skin_bench paint" runs the layout and paint figures alone; "skin_bench images" the image ones.
int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    if (only == "paint") {
        BenchLayoutAndPaint(SkinPicture(48, 32));
        return 0;
    }
    if (only == "images") {
        std::vector<std::string> smallPictures;
        for (int i = 0; i < 24; ++i) smallPictures.push_back(SkinPicture(48 + i * 4, 32 + i * 2));
        BenchImages("970x660 background PNG", {SkinPicture(970, 660)}, 0xFFFF00FF);
        BenchImages("24 small button PNGs", smallPictures, 0xFFFF00FF);
        return 0;
    }
    const std::string realistic = RealisticLayout();
    const std::string generated = GeneratedLayout(3u * 1024 * 1024);

    std::printf("Markup parsing (the same UTF-8 bytes in memory; ratio = CSkinMarkup's speed over the other's)\n");
    BenchMarkup("realistic layout", realistic);
    BenchMarkup("generated layout", generated);

    std::printf("Archive member lookup + inflate from the memory archive (ratio = ours over zlib alone)\n");
    std::vector<std::string> smallPictures;
    for (int i = 0; i < 24; ++i) smallPictures.push_back(SkinPicture(48 + i * 4, 32 + i * 2));
    const std::string background = SkinPicture(970, 660);
    std::vector<ArchiveMember> skin = {{"MainFrame.xml", realistic, {}}, {"img/bg.png", background, {}}};
    for (size_t i = 0; i < smallPictures.size(); ++i) skin.push_back({"img/btn" + std::to_string(i) + ".png", smallPictures[i], {}});
    for (int i = 0; i < 12; ++i) skin.push_back({"layouts/Dialog" + std::to_string(i) + ".xml", realistic.substr(0, 3000 + i * 500), {}});
    const std::string skinArchive = BuildArchive(skin);
    BenchArchive("skin-like archive (38 members)", skin, skinArchive);
    std::vector<ArchiveMember> large = {{"layouts/Generated.xml", generated, {}}};
    const std::string largeArchive = BuildArchive(large);
    BenchArchive("one generated layout member", large, largeArchive);

    std::printf("Image decode + premultiply into a DIB section (ratio = ours over stb_image's decode alone)\n");
    BenchImages("970x660 background PNG", {background}, 0xFFFF00FF);
    BenchImages("24 small button PNGs", smallPictures, 0xFFFF00FF);

    BenchLayoutAndPaint(smallPictures.front());
    return 0;
}
