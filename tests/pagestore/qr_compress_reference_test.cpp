// The block coder against the coding rule written out plainly (find the leaf's path, send it from
// the root one bit at a time, then semi-splay), on data that drives leaves deep into the tree and
// on real report pages: every code must be the same, whether bytes come one at a time or in blocks.
#include "pagestore/qr_compress.h"
#include "platform/memory_stream.h"

#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace {

std::vector<uint8_t> ReferenceEncode(const std::vector<uint8_t>& plain)
{
    int left[256], right[256], parent[513];
    for (int i = 1; i <= 512; ++i)
        parent[i] = (i - 1) / 2;
    for (int i = 0; i < 256; ++i) {
        left[i] = 2 * i + 1;
        right[i] = 2 * i + 2;
    }
    std::vector<uint8_t> out;
    int bit = 0, pending = 0;
    for (uint8_t value : plain) {
        std::vector<bool> path;
        for (int a = 256 + value; a != 0; a = parent[a])
            path.insert(path.begin(), right[parent[a]] == a);
        for (bool b : path) {
            pending |= int(b) << bit;
            if (++bit == 8) {
                out.push_back(uint8_t(pending));
                bit = pending = 0;
            }
        }
        for (int a = 256 + value; a != 0;) {
            const int c = parent[a];
            if (c == 0)
                break;
            const int d = parent[c];
            int& uncle = left[d] == c ? right[d] : left[d];
            const int s = uncle;
            uncle = a;
            (left[c] == a ? left[c] : right[c]) = s;
            parent[a] = d;
            parent[s] = c;
            a = d;
        }
    }
    if (bit != 0)
        out.push_back(uint8_t(pending));
    return out;
}

std::vector<uint8_t> BlockEncode(const std::vector<uint8_t>& plain, size_t block)
{
    TMemoryStream out;
    TQRCompress coder(out, true);
    for (size_t i = 0; i < plain.size(); i += block)
        coder.EncodeBytes(std::span(plain).subspan(i, std::min(block, plain.size() - i)));
    coder.Finish();
    return out.Bytes();
}

std::vector<uint8_t> Decode(const std::vector<uint8_t>& coded, size_t count)
{
    TMemoryStream in(coded);
    TQRCompress decoder(in, false);
    std::vector<uint8_t> plain(count);
    decoder.DecodeBytes(plain);
    decoder.Finish();
    return plain;
}

// Inputs that leave some leaves over thirty levels deep, random ones, and the metafiles of the
// corpus (real pages: mostly small numbers and UTF-16 text).
std::vector<std::vector<uint8_t>> Inputs()
{
    std::vector<std::vector<uint8_t>> inputs;
    std::vector<uint8_t> ascending, descending;
    for (int round = 0; round < 6; ++round)
        for (int i = 0; i < 256; ++i) {
            ascending.push_back(uint8_t(i));
            descending.push_back(uint8_t(255 - i));
        }
    inputs.push_back(ascending);
    inputs.push_back(descending);
    std::mt19937 random(11);
    for (int skew : { 2, 16, 256 }) {
        std::vector<uint8_t> data(30000);
        for (auto& b : data)
            b = uint8_t(random() % 10 == 0 ? random() % 256 : random() % skew);
        inputs.push_back(data);
    }
    const std::string corpus = "/work/shared/corpus/emf";
    if (DIR* dir = opendir(corpus.c_str())) {
        int taken = 0;
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() < 4 || name.substr(name.size() - 4) != ".emf" || taken >= 12)
                continue;
            std::ifstream file(corpus + "/" + name, std::ios::binary);
            inputs.emplace_back(std::istreambuf_iterator<char>(file),
                                std::istreambuf_iterator<char>());
            ++taken;
        }
        closedir(dir);
    }
    return inputs;
}

} // namespace

TEST(QRCompressReference, BlocksCodeAsTheRuleSays)
{
    for (const std::vector<uint8_t>& plain : Inputs()) {
        const std::vector<uint8_t> expected = ReferenceEncode(plain);
        for (size_t block : { size_t(1), size_t(7), size_t(4096), plain.size() + 1 }) {
            SCOPED_TRACE(testing::Message() << plain.size() << " bytes in blocks of " << block);
            EXPECT_EQ(BlockEncode(plain, block), expected);
        }
        EXPECT_EQ(Decode(expected, plain.size()), plain);
    }
}
