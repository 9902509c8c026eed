// The updater's reading of a program file's processor.
#include "updater/PeImage.h"

#include <gtest/gtest.h>

#include <string>

namespace velm {
namespace {

// A DOS header pointing at `pe`, then "PE\0\0" and the machine there.
std::string Image(std::uint32_t pe, std::uint16_t machine) {
    std::string bytes(pe + 24, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    for (int i = 0; i < 4; ++i) {
        bytes[0x3C + i] = static_cast<char>(pe >> (8 * i));
    }
    bytes.replace(pe, 4, std::string("PE\0\0", 4));
    bytes[pe + 4] = static_cast<char>(machine & 0xFF);
    bytes[pe + 5] = static_cast<char>(machine >> 8);
    return bytes;
}

TEST(PeImage, ReadsTheMachineOfEitherTarget) {
    EXPECT_EQ(PeMachine(Image(0x80, kMachineI386)), kMachineI386);
    EXPECT_EQ(PeMachine(Image(0x100, kMachineAmd64)), kMachineAmd64);
    EXPECT_EQ(OwnMachine(), sizeof(void*) == 4 ? kMachineI386 : kMachineAmd64);
}

TEST(PeImage, AnythingElseHasNoMachine) {
    std::string page = "<html>not a program</html>" + std::string(100, ' ');
    EXPECT_FALSE(PeMachine(page));
    EXPECT_FALSE(PeMachine(""));
    std::string cut = Image(0x80, kMachineI386);
    EXPECT_FALSE(PeMachine(cut.substr(0, 0x80 + 5))) << "machine field cut off";
    std::string far = Image(0x80, kMachineI386);
    far[0x3C] = far[0x3D] = far[0x3E] = far[0x3F] = '\xFF';
    EXPECT_FALSE(PeMachine(far)) << "header offset near 2^32";
    std::string noSignature = Image(0x80, kMachineI386);
    noSignature[0x80] = 'X';
    EXPECT_FALSE(PeMachine(noSignature));
}

} // namespace
} // namespace velm
