// The stand-in client's batch error mode, called as Oracle's OCI Programmer's
// Guide shows it ("Batch Error Mode" under OCIStmtExecute): an array insert
// executed with OCI_BATCH_ERRORS keeps every row the server accepts, reports
// the refused ones through OCI_ATTR_NUM_DML_ERRORS and, per error, an error
// handle filled by OCIParamGet with OCI_ATTR_DML_ROW_OFFSET and its text, and
// one commit stores the accepted rows.

#include "OciTestBed.h"
#include "db/oci/OciStatement.h"

#include <gtest/gtest.h>

namespace {

using namespace tw::oci;

struct RowError {
    ub4 offset;
    QString text;
    bool operator==(const RowError& other) const { return offset == other.offset && text == other.text; }
};

void PrintTo(const RowError& error, std::ostream* out)
{
    *out << error.offset << ": " << error.text.toStdString();
}

TEST(OciBatchErrors, AcceptedRowsStayAndEachRefusedRowIsReportedWithItsOffset)
{
    OciTestBed bed;
    auto connection = bed.connect();
    OciTestBed::execute(*connection, QStringLiteral("Create table \"B\" (\"ID\" NUMBER(3,0), \"S\" VARCHAR2(3))"));
    OciTestBed::execute(*connection, QStringLiteral("alter table \"B\" add constraint PK_B primary key (\"ID\")"));
    const std::shared_ptr<OciSession> session = connection->session();
    const OciApi& api = session->api();

    // Rows 1 and 3 are refused (a duplicate key, a text too long), row 4
    // carries a number beyond NUMBER(3,0).
    sb4 ids[] = {1, 1, 2, 1000, 3};
    char texts[][8] = {"a", "b", "abcd", "c", "d"};
    ub2 textLengths[] = {1, 1, 4, 1, 1};
    OciStatement insert(session, QStringLiteral("insert into \"B\" (\"ID\",\"S\") values (:1,:2)"));
    OCIBind* binds[2] = {};
    session->check(api.OCIBindByPos(insert.handle(), &binds[0], session->error(), 1, ids, sizeof(sb4), SQLT_INT,
                                    nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT));
    session->check(api.OCIBindByPos(insert.handle(), &binds[1], session->error(), 2, texts, sizeof texts[0], SQLT_CHR,
                                    nullptr, textLengths, nullptr, 0, nullptr, OCI_DEFAULT));
    const sword status = insert.execute(5, OCI_BATCH_ERRORS);
    EXPECT_EQ(status, OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(insert.rowCount(), 2u);

    ub4 count = 0;
    session->check(api.OCIAttrGet(insert.handle(), OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_NUM_DML_ERRORS,
                                  session->error()));
    ASSERT_EQ(count, 3u);
    // One error handle, allocated by the caller, takes each error in turn.
    void* rowError = nullptr;
    session->check(api.OCIHandleAlloc(session->env(), &rowError, OCI_HTYPE_ERROR, 0, nullptr));
    std::vector<RowError> errors;
    for (ub4 i = 0; i < count; ++i) {
        session->check(api.OCIParamGet(session->error(), OCI_HTYPE_ERROR, session->error(), &rowError, i));
        ub4 offset = 0;
        session->check(api.OCIAttrGet(rowError, OCI_HTYPE_ERROR, &offset, nullptr, OCI_ATTR_DML_ROW_OFFSET,
                                      session->error()));
        char text[512] = {};
        sb4 code = 0;
        api.OCIErrorGet(rowError, 1, nullptr, &code, reinterpret_cast<OraText*>(text), sizeof text, OCI_HTYPE_ERROR);
        errors.push_back({offset, QString::fromUtf8(text).trimmed()});
    }
    // A position past the last error is no error record.
    EXPECT_EQ(api.OCIParamGet(session->error(), OCI_HTYPE_ERROR, session->error(), &rowError, count), OCI_ERROR);
    api.OCIHandleFree(rowError, OCI_HTYPE_ERROR);
    EXPECT_EQ(errors,
              (std::vector<RowError>{
                  {1, QStringLiteral("ORA-00001: unique constraint (SCOTT.PK_B) violated")},
                  {2, QStringLiteral("ORA-12899: value too large for column \"SCOTT\".\"B\".\"S\" (actual: 4, maximum: 3)")},
                  {3, QStringLiteral("ORA-01438: value larger than specified precision allowed for this column")},
              }));

    session->commit();
    EXPECT_EQ(bed.targetRows(QStringLiteral("B")), (QVector<QVector<tw::SqlValue>>{{1, QStringLiteral("a")},
                                                                                   {3, QStringLiteral("d")}}));
}

} // namespace
