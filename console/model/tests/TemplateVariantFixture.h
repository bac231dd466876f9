#pragma once
// The fixture memory template with some of its lines changed and sections added,
// written to a folder of the test's own and built into a map.
#include "console/model/PrmCtrl.h"
#include "console/model/SynthMemory.h"
#include "console/model/tests/TestPaths.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

struct TemplateEdit
{
    const char* from;
    const char* to;
};

class TemplateVariantTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile in(fixturePath("memmap.tpm"));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        m_base = in.readAll();
        // The surface's start-up warning (no surface template beside a test map) is kept here.
        CSynthMemory::setFailureReporter([](const QString&, const QString&) {});
    }
    void TearDown() override { CSynthMemory::setFailureReporter(nullptr); }

    // Writes the fixture map with the edits applied (each must match) and the extra
    // sections appended; builds the map from it.
    bool build(CPrmCtrl& map, const std::vector<TemplateEdit>& edits, const char* extra = "")
    {
        QByteArray text = m_base;
        for (const TemplateEdit& e : edits) {
            EXPECT_TRUE(text.contains(e.from)) << e.from;
            text.replace(e.from, e.to);
        }
        text += extra;
        const QString path = m_dir.filePath(QStringLiteral("variant.tpm"));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        out.write(text);
        out.close();
        return map.CreatePrmCtrl(0, path);
    }

    QTemporaryDir m_dir;
    QByteArray m_base;
};
