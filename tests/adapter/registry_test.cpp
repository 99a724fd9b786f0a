// Tovin.dpm with a broken or missing installation directory. ctest runs this alone, after every
// other program that loads the effect, because it changes the prefix's registry value (and puts it
// back).
#include <cstring>
#include <string>

#include "simulated_host.h"

namespace {

using namespace simhost;

constexpr const char* kKey = "Software\\Corvane\\Tovin";
constexpr const char* kValue = "installdirectory";
constexpr const char* kFailure = "|Unable to load Tovin \n you should reinstall your Corvane product";

class RegistryValue {
public:
    RegistryValue() {
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
        char buffer[1024] = {};
        DWORD size = sizeof(buffer) - 1;
        DWORD type = 0;
        if (RegQueryValueExA(key_, kValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS &&
            type == REG_SZ)
            saved_ = buffer;
    }
    ~RegistryValue() {
        setString(saved_.empty() ? "C:\\Tovin" : saved_);
        RegCloseKey(key_);
    }
    void setString(const std::string& text, bool terminated = true) {
        set(REG_SZ, text.c_str(), text.size() + (terminated ? 1 : 0));
    }
    void set(DWORD type, const void* data, size_t size) {
        ASSERT_EQ(RegSetValueExA(key_, kValue, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    void remove() { RegDeleteValueA(key_, kValue); }
    const std::string& saved() const { return saved_; }

private:
    HKEY key_ = nullptr;
    std::string saved_;
};

// An instance that could not load the effect: no controls, audio unchanged, the state chunk kept.
void expectWithoutEffect(Instance& instance, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_NE(instance.get(), nullptr);
    const PIInstanceInfo info = instance.info();
    EXPECT_EQ(info.controlCount, 0);
    EXPECT_EQ(info.masterBypassControl, 0);
    PIChunkInfo chunk{};
    bool hasState = false;
    for (int32_t i = 0; i < info.chunkCount; ++i)
        if (routines().chunkInfo(instance.get(), i, &chunk) == 0 && chunk.chunkID == kStateChunk) hasState = true;
    EXPECT_TRUE(hasState);
    EXPECT_TRUE(instance.chunk(kStateChunk).empty()) << "nothing stored yet";

    std::vector<float> left(256), right(256), outLeft(256, -9.0f), outRight(256, -9.0f);
    for (size_t i = 0; i < left.size(); ++i) {
        left[i] = static_cast<float>(i) / 256.0f;
        right[i] = -left[i];
    }
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outLeft.data(), outRight.data()};
    instance.render(in, out, 256);
    EXPECT_EQ(outLeft, left);
    EXPECT_EQ(outRight, right);

    // A document's settings survive the session: stored, then handed back unchanged.
    std::vector<char> data(1904);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
    std::vector<unsigned char> stored = chunkWith(data);
    auto* header = reinterpret_cast<hostlib::ChunkHeader*>(stored.data());
    header->chunkID = kStateChunk;
    header->formatTag = 1234;
    ASSERT_EQ(instance.setChunk(kStateChunk, stored), 0);
    EXPECT_EQ(instance.chunk(kStateChunk), stored);
    std::vector<unsigned char> cut(stored.begin(), stored.end() - 1);
    EXPECT_EQ(instance.setChunk(kStateChunk, cut), hostlib::kErrChunkDamaged);
    EXPECT_EQ(instance.chunk(kStateChunk), stored);
}

TEST(AdapterRegistry, BrokenOrMissingValues) {
    RegistryValue value;
    ASSERT_FALSE(value.saved().empty());
    host().messages.clear();

    value.remove();
    {
        Instance missing;
        expectWithoutEffect(missing, "no value");
        ASSERT_EQ(host().messages.size(), 1u);
        EXPECT_EQ(host().messages[0], kFailure);
    }
    const DWORD number = 5;
    value.set(REG_DWORD, &number, sizeof(number));
    {
        Instance notAString;
        expectWithoutEffect(notAString, "a number");
    }
    value.setString("");
    {
        Instance empty;
        expectWithoutEffect(empty, "empty");
    }
    value.setString(std::string(1500, 'x'));
    {
        Instance tooLong;
        expectWithoutEffect(tooLong, "longer than a path");
    }
    value.setString("C:\\Nowhere");
    {
        Instance wrong;
        expectWithoutEffect(wrong, "no library there");
    }
    // The message is the installation's: once per process, not once per instance.
    EXPECT_EQ(host().messages.size(), 1u);

    // Unterminated, or with a trailing backslash: the same library.
    value.setString(value.saved(), false);
    {
        Instance unterminated;
        ASSERT_NE(unterminated.get(), nullptr);
        EXPECT_EQ(unterminated.info().controlCount, 35);
    }
    value.setString(value.saved() + "\\");
    {
        Instance trailing;
        ASSERT_NE(trailing.get(), nullptr);
        EXPECT_EQ(trailing.info().controlCount, 35);
    }
}

}  // namespace
