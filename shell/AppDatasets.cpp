// Site profiles. "dataset2": a count (the index of the last record, -1 for none), then per record
// Name, Adrs, User (short strings), the private key and the ciphertext of the password (blocks),
// rDir, Pasv (short strings), Path (block), Mode, Zone, EOL (short strings). "dataset", the older
// form, is read only while "dataset2" is missing: nine fields, the password in clear text, no EOL.
//
// Short strings are a length byte and the bytes; blocks a 32-bit big-endian length and the bytes.
// A reader keeps every complete record and drops an incomplete one; a damaged file is reported and
// kept aside before quit replaces it.
#include <stdexcept>

#include "framework/Streams.h"
#include "shell/App.h"
#include "shell/CommonModule.h"
#include "shell/SettingsFolder.h"

namespace {

constexpr char kDatasetFile[] = "dataset2";
constexpr char kOldDatasetFile[] = "dataset";

// Reads the records of one profile file; answers false when the file did not read whole.
template <class ReadRecord>
bool ReadProfiles(fw::BinaryStream& in, ReadRecord readRecord) {
    try {
        const int32_t last = in.ReadInt32();
        if (last < -1) return false;
        for (int64_t i = 0; i <= last; ++i) {
            Dataset record;  // appended only once it has been read whole
            readRecord(in, record);
            gDatasets.push_back(std::move(record));
        }
        return in.AtEnd();  // bytes past the announced records mean the count is damaged
    } catch (const fw::StreamError&) {
        return false;
    }
}

}  // namespace

void App::LoadSet2() {
    if (!EnsureSettingsFolder()) return;
    fw::FolderItem file = SettingsFolder().Child(kDatasetFile);
    if (!file.Exists()) {
        LoadSet();
        return;
    }
    std::unique_ptr<fw::BinaryStream> in = file.OpenAsBinaryFile();
    bool undecryptable = false;
    bool whole = in && ReadProfiles(*in, [this, &undecryptable](fw::BinaryStream& s, Dataset& r) {
                     r.Eflg = true;
                     r.Name = s.ReadPString();
                     r.Adrs = s.ReadPString();
                     r.User = s.ReadPString();
                     std::string privateKey = s.ReadBlock();
                     fw::MemoryBlock cipher = fw::MemoryBlock::FromBytes(s.ReadBlock());
                     r.rDir = s.ReadPString();
                     r.Pasv = s.ReadPString();
                     r.Path = s.ReadBlock();
                     r.Mode = s.ReadPString();
                     r.Zone = s.ReadPString();
                     r.EOL = s.ReadPString();
                     // A password that does not decrypt leaves its profile without one; connecting
                     // asks.
                     std::optional<std::string> password = RSADecrypt(cipher, privateKey);
                     if (!password) undecryptable = true;
                     r.Pass = password.value_or("");
                 });
    if (!whole || undecryptable) ReportDamagedSettingsFile(kDatasetFile);
}

void App::LoadSet() {
    fw::FolderItem folder = SettingsFolder();
    if (!folder.Exists()) return;
    fw::FolderItem file = folder.Child(kOldDatasetFile);
    if (!file.Exists()) return;
    std::unique_ptr<fw::BinaryStream> in = file.OpenAsBinaryFile();
    bool whole = in && ReadProfiles(*in, [](fw::BinaryStream& s, Dataset& r) {
                     r.Eflg = true;
                     r.Name = s.ReadPString();
                     r.Adrs = s.ReadPString();
                     r.User = s.ReadPString();
                     r.Pass = s.ReadPString();
                     r.rDir = s.ReadPString();
                     r.Pasv = s.ReadPString();
                     r.Path = s.ReadBlock();
                     r.Mode = s.ReadPString();
                     r.Zone = s.ReadPString();
                     r.EOL = "unix";
                 });
    if (!whole) ReportDamagedSettingsFile(kOldDatasetFile);
}

void App::SaveSet2() {
    WriteBinarySettingsFile(kDatasetFile, [this](fw::BinaryOutputStream& out) {
        int32_t last = -1;
        for (const Dataset& r : gDatasets)
            if (r.Eflg) ++last;
        out.WriteInt32(last);
        for (const Dataset& r : gDatasets) {
            if (!r.Eflg) continue;
            out.WritePString(r.Name);
            out.WritePString(r.Adrs);
            out.WritePString(r.User);
            std::string privateKey;
            fw::MemoryBlock cipher;
            RSAEncrypt(r.Pass, privateKey, cipher);
            // Never store a profile whose password could not be encrypted: the old file stays.
            if (privateKey.empty() || cipher.Size() == 0)
                throw std::runtime_error("パスワードを暗号化できませんでした");
            out.WriteBlock(privateKey);
            out.WriteBlock(cipher.Bytes());
            out.WritePString(r.rDir);
            out.WritePString(r.Pasv);
            out.WriteBlock(r.Path);
            out.WritePString(r.Mode);
            out.WritePString(r.Zone);
            out.WritePString(r.EOL);
        }
    });
}
