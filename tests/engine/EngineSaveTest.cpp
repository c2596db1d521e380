// Saving in place, to another path and into memory; failures leave files untouched.
#include "EngineTestSupport.h"
#include "vq-pdf-testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace fixture;

namespace {

std::string original()
{
    return simpleDocument({PageSpec{"[0 0 200 100]", "", "1 0 0 rg 0 0 50 50 re f"}, PageSpec()});
}

bool startsWith(const std::string& s, const std::string& prefix)
{
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool contains(const std::string& s, const std::string& part)
{
    return s.find(part) != std::string::npos;
}

// The saved bytes open again, with their pages.
void expectReadable(const std::string& bytes, int pages = 2)
{
    int code = -1;
    DocPtr doc = openBytes(bytes, &code);
    ASSERT_TRUE(doc) << "code " << code;
    EXPECT_EQ(vq_document_page_count(doc.get()), pages);
    EXPECT_EQ(vq_document_canbe_sign(doc.get()), VQ_OK) << "no repair needed";
}

struct WriteBudgetOff
{
    ~WriteBudgetOff() { vq_test_fail_writes_after(-1); }
};

} // namespace

// Each test starts with the test document written to doc.pdf in a fresh folder.
class EngineSave : public ::testing::Test
{
protected:
    ScratchDir dir;
    const std::string path = dir.file("doc.pdf");
    const std::string bytes0 = original();

    void SetUp() override { writeFile(path, bytes0); }
};

TEST_F(EngineSave, InPlaceTwiceKeepsTheFirstUpdate)
{
    DocPtr doc = openPath(path);
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());
    vq_page* page = vq_page_index(doc.get(), 0);
    ASSERT_NE(page, nullptr);

    EXPECT_EQ(vq_document_save(doc.get()), VQ_OK) << "nothing to save";
    EXPECT_EQ(readFile(path), bytes0);

    ASSERT_EQ(vq_test_mark_document(doc.get(), "first-update"), VQ_OK);
    EXPECT_NE(vq_document_has_unsaved(doc.get()), 0);
    // A display image handed out before the save stays readable through it.
    vq_page_image* before = vq_page_display_image(doc.get(), page, nullptr, 1, 0);
    ASSERT_NE(before, nullptr);
    ASSERT_EQ(vq_document_save(doc.get()), VQ_OK);
    EXPECT_EQ(pixel(doc.get(), before, 10, 90).r, 255);
    vq_page_drop_display_image(doc.get(), page, before);
    const std::string bytes1 = readFile(path);
    EXPECT_TRUE(startsWith(bytes1, bytes0));
    EXPECT_GT(bytes1.size(), bytes0.size());
    EXPECT_TRUE(contains(bytes1, "first-update"));
    EXPECT_EQ(vq_document_has_unsaved(doc.get()), 0);
    EXPECT_EQ(vq_document_file_size(doc.get()), static_cast<long long>(bytes1.size()));

    ASSERT_EQ(vq_test_mark_document(doc.get(), "second-update"), VQ_OK);
    ASSERT_EQ(vq_document_save(doc.get()), VQ_OK);
    const std::string bytes2 = readFile(path);
    EXPECT_TRUE(startsWith(bytes2, bytes1)) << "the first update stays byte for byte";
    EXPECT_TRUE(contains(bytes2.substr(bytes1.size()), "second-update"));
    expectReadable(bytes2);
    // An independent reader agrees, when one is installed.
    if (std::system("command -v qpdf >/dev/null 2>&1") == 0)
    {
        EXPECT_EQ(std::system(("qpdf --check '" + path + "' >/dev/null 2>&1").c_str()), 0);
    }

    // The page handle taken before the saves still works.
    EXPECT_EQ(vq_page_index(doc.get(), 0), page);
    vq_page_image* img = vq_page_display_image(doc.get(), page, nullptr, 1, 0);
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(pixel(doc.get(), img, 10, 90).g, 0) << "red square still drawn";
    vq_page_drop_display_image(doc.get(), page, img);
    vq_rect box;
    vq_page_mediabox(doc.get(), 1, &box);
    EXPECT_FLOAT_EQ(box.x1, 200);
}

TEST_F(EngineSave, SaveAsFullAndIncremental)
{

    {
        DocPtr doc = openPath(path);
        ASSERT_TRUE(doc);
        vq_document_cut_page(doc.get());
        ASSERT_EQ(vq_test_mark_document(doc.get(), "full-copy"), VQ_OK);
        const std::string target = dir.file("full.pdf");
        writeFile(target, "old contents of the target");
        ASSERT_EQ(vq_document_saveas(doc.get(), 0, target.c_str()), VQ_OK);
        const std::string full = readFile(target);
        EXPECT_TRUE(startsWith(full, "%PDF-"));
        EXPECT_FALSE(startsWith(full, bytes0));
        EXPECT_TRUE(contains(full, "full-copy"));
        expectReadable(full);
        EXPECT_EQ(readFile(path), bytes0) << "the original is untouched";
        EXPECT_STREQ(vq_document_file_path(doc.get()), target.c_str()) << "the document is now the new file";
    }
    {
        DocPtr doc = openPath(path);
        ASSERT_TRUE(doc);
        ASSERT_EQ(vq_test_mark_document(doc.get(), "incremental-copy"), VQ_OK);
        const std::string target = dir.file("incremental.pdf");
        writeFile(target, bytes0); // the application copies the file there first
        ASSERT_EQ(vq_document_saveas(doc.get(), 1, target.c_str()), VQ_OK);
        const std::string inc = readFile(target);
        EXPECT_TRUE(startsWith(inc, bytes0));
        EXPECT_TRUE(contains(inc, "incremental-copy"));
        expectReadable(inc);
        EXPECT_EQ(readFile(path), bytes0);
    }
    struct stat st;
    ASSERT_EQ(stat(dir.file("full.pdf").c_str(), &st), 0);
    EXPECT_EQ(dir.entries().size(), 3u) << "no temporary files left behind";
}

TEST_F(EngineSave, IntoMemory)
{
    DocPtr doc = openBytes(bytes0);
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());

    int ret = -1;
    ASSERT_EQ(vq_test_mark_document(doc.get(), "memory-one"), VQ_OK);
    vq_buffer* inc1 = vq_document_saveas_stream(doc.get(), 1, &ret);
    ASSERT_EQ(ret, VQ_OK);
    ASSERT_NE(inc1, nullptr);
    char* data = nullptr;
    size_t len = vq_buffer_storage(doc.get(), inc1, &data);
    const std::string first(data, len);
    EXPECT_TRUE(startsWith(first, bytes0));
    EXPECT_TRUE(contains(first, "memory-one"));

    ASSERT_EQ(vq_test_mark_document(doc.get(), "memory-two"), VQ_OK);
    vq_buffer* inc2 = vq_document_saveas_stream(doc.get(), 1, &ret);
    ASSERT_EQ(ret, VQ_OK);
    EXPECT_EQ(inc2, inc1) << "the document's own buffer, longer again";
    len = vq_buffer_storage(doc.get(), inc2, &data);
    const std::string second(data, len);
    EXPECT_TRUE(startsWith(second, first));
    EXPECT_TRUE(contains(second.substr(first.size()), "memory-two"));
    expectReadable(second);
    vq_buffer_drop(doc.get(), inc2); // ignored: the document keeps its own buffer

    vq_buffer* full = vq_document_saveas_stream(doc.get(), 0, &ret);
    ASSERT_EQ(ret, VQ_OK);
    ASSERT_NE(full, nullptr);
    EXPECT_NE(full, inc1);
    len = vq_buffer_storage(doc.get(), full, &data);
    const std::string fullBytes(data, len);
    expectReadable(fullBytes);
    EXPECT_TRUE(contains(fullBytes, "memory-two"));
    vq_buffer_drop(doc.get(), full);

    // A document opened from memory has no file to save in place.
    EXPECT_EQ(vq_document_save(doc.get()), VQ_FILE_IS_BUSY);
}

TEST_F(EngineSave, FailuresLeaveTheFileByteIdentical)
{
    DocPtr doc = openPath(path);
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());
    ASSERT_EQ(vq_test_mark_document(doc.get(), "pending-change"), VQ_OK);

    const std::string target = dir.file("target.pdf");
    const std::string targetBytes = "an existing file the user keeps";
    writeFile(target, targetBytes);

    // Sizes of what each save writes: the same change on a second copy of the document.
    size_t incrementalSize = 0, fullSize = 0;
    {
        DocPtr probe = openBytes(bytes0);
        ASSERT_TRUE(probe);
        ASSERT_EQ(vq_test_mark_document(probe.get(), "pending-change"), VQ_OK);
        int ret = -1;
        vq_buffer* full = vq_document_saveas_stream(probe.get(), 0, &ret);
        ASSERT_NE(full, nullptr);
        fullSize = vq_buffer_storage(probe.get(), full, nullptr);
        vq_buffer_drop(probe.get(), full);
        vq_buffer* inc = vq_document_saveas_stream(probe.get(), 1, &ret);
        ASSERT_NE(inc, nullptr);
        incrementalSize = vq_buffer_storage(probe.get(), inc, nullptr);
    }
    ASSERT_GT(incrementalSize, bytes0.size());

    WriteBudgetOff off;
    // An incremental save writes the update into memory, then (to another path) the original
    // bytes into a temporary file and the update after them, or (in place) only the update,
    // appended to the file. A full save writes the whole result into memory, then to disk.
    // Fail at the start, inside the update, while the original bytes are copied and while the
    // update goes to disk.
    const long long update = static_cast<long long>(incrementalSize - bytes0.size());
    const long long original = static_cast<long long>(bytes0.size());
    const long long early[] = {0, 10, original + 20};
    const long long inPlace[] = {0, 10, update + 10};
    const long long incrementalAs[] = {0, 10, update + 10, update + original + 10};
    std::vector<long long> saveAs(std::begin(early), std::end(early));
    saveAs.push_back(static_cast<long long>(fullSize) + 20);
    for (long long budget : inPlace)
    {
        SCOPED_TRACE(budget);
        vq_test_fail_writes_after(budget);
        EXPECT_EQ(vq_document_save(doc.get()), VQ_PDF_ERROR_GENERIC);
        EXPECT_EQ(readFile(path), bytes0);
        EXPECT_EQ(dir.entries().size(), 2u) << "no temporary files left behind";
    }
    for (long long budget : incrementalAs)
    {
        SCOPED_TRACE(budget);
        vq_test_fail_writes_after(budget);
        EXPECT_EQ(vq_document_saveas(doc.get(), 1, target.c_str()), VQ_SAVE_FILE_FAIL);
        EXPECT_EQ(readFile(path), bytes0);
        EXPECT_EQ(readFile(target), targetBytes);
        EXPECT_EQ(dir.entries().size(), 2u) << "no temporary files left behind";
    }
    for (long long budget : saveAs)
    {
        SCOPED_TRACE(budget);
        vq_test_fail_writes_after(budget);
        EXPECT_EQ(vq_document_saveas(doc.get(), 0, target.c_str()), VQ_SAVE_FILE_FAIL);
        EXPECT_EQ(readFile(target), targetBytes);
        EXPECT_EQ(dir.entries().size(), 2u) << "no temporary files left behind";
    }
    for (long long budget : early)
    {
        SCOPED_TRACE(budget);
        vq_test_fail_writes_after(budget);
        int ret = -1;
        EXPECT_EQ(vq_document_saveas_stream(doc.get(), 1, &ret), nullptr);
        EXPECT_EQ(ret, VQ_PDF_ERROR_GENERIC);
    }
    vq_test_fail_writes_after(-1);
    EXPECT_STREQ(vq_document_file_path(doc.get()), path.c_str());
    EXPECT_NE(vq_document_has_unsaved(doc.get()), 0) << "the change is still pending";

    // A folder that does not exist, and a path that is a folder.
    EXPECT_EQ(vq_document_saveas(doc.get(), 0, dir.file("no/such/folder/x.pdf").c_str()), VQ_FILE_IS_BUSY);
    EXPECT_EQ(vq_document_saveas(doc.get(), 0, dir.path().c_str()), VQ_FILE_IS_BUSY);

    // The change is still there and saves once the disk has room again.
    vq_test_fail_writes_after(-1);
    ASSERT_EQ(vq_document_save(doc.get()), VQ_OK);
    const std::string saved = readFile(path);
    EXPECT_TRUE(startsWith(saved, bytes0));
    EXPECT_TRUE(contains(saved, "pending-change"));
    expectReadable(saved);
}

TEST_F(EngineSave, UnwritableFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the super-user";
    const std::string sub = dir.file("locked");
    mkdir(sub.c_str(), 0755);
    const std::string lockedPath = sub + "/doc.pdf";
    writeFile(lockedPath, bytes0);
    DocPtr doc = openPath(lockedPath);
    ASSERT_TRUE(doc);
    ASSERT_EQ(vq_test_mark_document(doc.get(), "appended"), VQ_OK);
    chmod(sub.c_str(), 0555);

    EXPECT_EQ(vq_document_saveas(doc.get(), 0, (sub + "/other.pdf").c_str()), VQ_FILE_IS_BUSY);
    // In place the update is appended to the (writable) file itself; a failing append is cut
    // off again. The budget lets the update be built in memory and fails inside the append.
    size_t incrementalSize = 0;
    {
        DocPtr probe = openBytes(bytes0);
        ASSERT_EQ(vq_test_mark_document(probe.get(), "appended"), VQ_OK);
        int ret = -1;
        incrementalSize = vq_buffer_storage(probe.get(), vq_document_saveas_stream(probe.get(), 1, &ret), nullptr);
    }
    WriteBudgetOff off;
    vq_test_fail_writes_after(static_cast<long long>(incrementalSize - bytes0.size()) + 5);
    EXPECT_NE(vq_document_save(doc.get()), VQ_OK);
    EXPECT_EQ(readFile(lockedPath), bytes0);
    vq_test_fail_writes_after(-1);
    EXPECT_EQ(vq_document_save(doc.get()), VQ_OK);
    EXPECT_TRUE(startsWith(readFile(lockedPath), bytes0));
    chmod(sub.c_str(), 0755);
}

TEST_F(EngineSave, MemorySavesStillReachTheFile)
{
    DocPtr doc = openPath(path);
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());

    // A complete copy into memory leaves the document as it was: the change is still unsaved.
    ASSERT_EQ(vq_test_mark_document(doc.get(), "after-full-copy"), VQ_OK);
    int ret = -1;
    vq_buffer* full = vq_document_saveas_stream(doc.get(), 0, &ret);
    ASSERT_NE(full, nullptr);
    vq_buffer_drop(doc.get(), full);
    EXPECT_NE(vq_document_has_unsaved(doc.get()), 0);
    ASSERT_EQ(vq_document_save(doc.get()), VQ_OK);
    const std::string bytes1 = readFile(path);
    EXPECT_TRUE(startsWith(bytes1, bytes0));
    EXPECT_TRUE(contains(bytes1, "after-full-copy"));
    expectReadable(bytes1);

    // An incremental update into memory reaches the file with the next save in place.
    ASSERT_EQ(vq_test_mark_document(doc.get(), "memory-update"), VQ_OK);
    vq_buffer* inc = vq_document_saveas_stream(doc.get(), 1, &ret);
    ASSERT_NE(inc, nullptr);
    EXPECT_EQ(readFile(path), bytes1);
    ASSERT_EQ(vq_document_save(doc.get()), VQ_OK);
    const std::string bytes2 = readFile(path);
    EXPECT_TRUE(startsWith(bytes2, bytes1));
    EXPECT_TRUE(contains(bytes2, "memory-update"));
    expectReadable(bytes2);
}

TEST_F(EngineSave, CopiesCarryTheUpdatesTheFileLacks)
{
    DocPtr doc = openPath(path);
    ASSERT_TRUE(doc);
    vq_document_cut_page(doc.get());

    // A copy elsewhere holds the document's bytes and its update; the document keeps its file,
    // which lacks the update until the next save in place.
    ASSERT_EQ(vq_test_mark_document(doc.get(), "copy-one"), VQ_OK);
    const std::string copy1 = dir.file("copy1.pdf");
    ASSERT_EQ(vq_document_savecopy(doc.get(), 1, copy1.c_str()), VQ_OK);
    const std::string bytes1 = readFile(copy1);
    EXPECT_TRUE(startsWith(bytes1, bytes0));
    EXPECT_TRUE(contains(bytes1.substr(bytes0.size()), "copy-one"));
    EXPECT_EQ(readFile(path), bytes0);
    EXPECT_STREQ(vq_document_file_path(doc.get()), path.c_str());
    expectReadable(bytes1);

    // A second copy: the file's bytes, the update kept in memory, then the new update.
    ASSERT_EQ(vq_test_mark_document(doc.get(), "copy-two"), VQ_OK);
    const std::string copy2 = dir.file("copy2.pdf");
    ASSERT_EQ(vq_document_savecopy(doc.get(), 1, copy2.c_str()), VQ_OK);
    const std::string bytes2 = readFile(copy2);
    EXPECT_TRUE(startsWith(bytes2, bytes1));
    EXPECT_TRUE(contains(bytes2.substr(bytes1.size()), "copy-two"));
    EXPECT_EQ(readFile(copy1), bytes1);
    expectReadable(bytes2);

    // Both updates reach the file with the next save in place, byte for byte as in the copy.
    EXPECT_EQ(vq_document_file_changed(doc.get()), 0);
    ASSERT_EQ(vq_document_save(doc.get()), VQ_OK);
    EXPECT_EQ(readFile(path), bytes2);
    EXPECT_EQ(vq_document_file_size(doc.get()), static_cast<long long>(bytes2.size()));
    EXPECT_EQ(dir.entries().size(), 3u) << "no temporary files left behind";
}

TEST_F(EngineSave, RefusedWhenTheFileChangedOnDisk)
{
    struct Change
    {
        const char* what;
        std::function<void(const std::string&)> apply;
        bool copyStillPossible; // the bytes the document reads are still the ones it read
    };
    const std::string other = original() + "% another program's version\n";
    const Change changes[] = {
        {"appended to", [](const std::string& p) { std::ofstream(p, std::ios::app) << "% appended\n"; }, false},
        {"replaced by a rename",
         [&](const std::string& p) {
             writeFile(p + ".new", other);
             ASSERT_EQ(rename((p + ".new").c_str(), p.c_str()), 0);
         },
         true},
        {"rewritten at the same length, later",
         [](const std::string& p) {
             std::string b = readFile(p);
             b[b.size() / 2] ^= 1;
             writeFile(p, b);
             struct timespec later[2];
             clock_gettime(CLOCK_REALTIME, &later[0]);
             later[0].tv_sec += 60;
             later[1] = later[0];
             ASSERT_EQ(utimensat(AT_FDCWD, p.c_str(), later, 0), 0);
         },
         false},
        {"removed", [](const std::string& p) { ASSERT_EQ(unlink(p.c_str()), 0); }, true},
    };
    for (const Change& c : changes)
    {
        SCOPED_TRACE(c.what);
        writeFile(path, bytes0);
        DocPtr doc = openPath(path);
        ASSERT_TRUE(doc);
        vq_document_cut_page(doc.get());
        ASSERT_EQ(vq_test_mark_document(doc.get(), "my-change"), VQ_OK);
        c.apply(path);
        const bool present = access(path.c_str(), F_OK) == 0;
        const std::string changed = present ? readFile(path) : std::string();

        EXPECT_EQ(vq_document_file_changed(doc.get()), VQ_FILE_CHANGED);
        EXPECT_EQ(vq_document_save(doc.get()), VQ_FILE_CHANGED);
        EXPECT_EQ(vq_document_saveas(doc.get(), 1, path.c_str()), VQ_FILE_CHANGED);
        EXPECT_EQ(access(path.c_str(), F_OK) == 0, present);
        if (present)
        {
            EXPECT_EQ(readFile(path), changed) << "the other program's file is untouched";
        }
        EXPECT_NE(vq_document_has_unsaved(doc.get()), 0) << "the change is still pending";

        // A copy elsewhere is made from the bytes the document read, when they are intact.
        const std::string rescue = dir.file("rescue.pdf");
        const int code = vq_document_savecopy(doc.get(), 1, rescue.c_str());
        if (c.copyStillPossible)
        {
            ASSERT_EQ(code, VQ_OK);
            const std::string saved = readFile(rescue);
            EXPECT_TRUE(startsWith(saved, bytes0));
            EXPECT_TRUE(contains(saved, "my-change"));
            unlink(rescue.c_str());
        }
        else
        {
            EXPECT_EQ(code, VQ_FILE_CHANGED);
            EXPECT_NE(access(rescue.c_str(), F_OK), 0);
        }
        unlink(path.c_str());
    }
}

namespace {

// The result codes of the interface (vq_error_type).
bool isInterfaceCode(int code)
{
    static const int codes[] = {VQ_OK, VQ_FAIL, VQ_NOFOUND_FILE, VQ_NOSUPPORT_FILE, VQ_DAMAGED_FILE,
                                VQ_FILE_IS_BUSY, VQ_SIGNATURE_ERROR, VQ_SAVE_FILE_FAIL, VQ_PDF_ERROR_GENERIC,
                                VQ_SET_SIGNATURE_VALUE_ERROR, VQ_NEED_PASSWORD, VQ_CRYPTED, VQ_REPAIR_ATTEMPTED,
                                VQ_TOKEN_ERROR1, VQ_TOKEN_ERROR2, VQ_TOKEN_ERROR3};
    for (int c : codes)
        if (c == code)
            return true;
    return (code >= VQ_GET_SM2_CERT_ERROR && code <= VQ_CREATE_TIMESTAME_ERROR) ||
           (code >= VQ_HTTP_REQUEST_DATA_IS_NULL && code <= VQ_P7ADDSIGNERINFO_ERROR) ||
           (code >= VQ_MKCERT_TIMEERROR && code <= VQ_VERIFY_SM2_ERROR);
}

// A document that opens (its page tree is sound) but holds an object the library cannot read
// until the whole file is written.
std::string withDamagedObject(const std::string& body)
{
    PdfBuilder b;
    b.add("<< /Type /Catalog /Pages 2 0 R /Extra 4 0 R >>");
    b.add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] >>");
    b.add(body);
    return b.build(1);
}

} // namespace

TEST(EngineSaveDamaged, SavingIntoMemoryReturnsOnlyTheInterfaceCodes)
{
    const std::pair<const char*, std::string> cases[] = {
        {"unterminated string", withDamagedObject("<< /Foo [ 1 2 (unterminated >>")},
        {"dictionary never closed", withDamagedObject("<< /Foo << /Bar [ 1 2")},
        {"stream shorter than its length", withDamagedObject("<< /Length 500 >>\nstream\nabc")},
        {"object stream that is no object stream",
         withDamagedObject("<< /Type /ObjStm /N 3 /First 2 /Length 5 >>\nstream\nxx(((\nendstream")},
        {"reference to a missing object", withDamagedObject("<< /A 99 0 R /B [ 98 0 R ] >>")},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.first);
        int code = -1;
        DocPtr doc = openBytes(c.second, &code);
        if (!doc)
        {
            EXPECT_TRUE(isInterfaceCode(code)) << code;
            continue;
        }
        for (int incremental : {0, 1})
        {
            ASSERT_EQ(vq_test_mark_document(doc.get(), "changed"), VQ_OK);
            int ret = -1;
            vq_buffer* buf = vq_document_saveas_stream(doc.get(), incremental, &ret);
            EXPECT_TRUE(isInterfaceCode(ret)) << "incremental " << incremental << ": " << ret;
            EXPECT_EQ(buf == nullptr, ret != VQ_OK);
            if (buf && !incremental)
                vq_buffer_drop(doc.get(), buf);
        }
    }
    // The first case is the one the library reports as a syntax error (its own number 3).
    int code = -1;
    DocPtr doc = openBytes(cases[0].second, &code);
    ASSERT_TRUE(doc) << code;
    int ret = -1;
    EXPECT_EQ(vq_document_saveas_stream(doc.get(), 0, &ret), nullptr);
    EXPECT_EQ(ret, VQ_DAMAGED_FILE);
}
