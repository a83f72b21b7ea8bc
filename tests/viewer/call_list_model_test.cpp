// The call list behind a Qt item model, as the call viewer's window will show it: the model
// only forwards the list's change hooks, and Qt's own model tester checks that what they
// announce matches what the rows read before and after each change.
#include <QAbstractItemModelTester>
#include <QAbstractTableModel>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/text_table_source.h"
#include "calllog/call_log_file.h"
#include "platform/file_util.h"
#include "support/temp_dir.h"
#include "viewer/call_list.h"

namespace ov {
namespace {

class CallListModel final : public QAbstractTableModel {
public:
    explicit CallListModel(CallList& list) : m_list(list) {
        CallListHooks hooks;
        hooks.rowsAboutToAppend = [this](std::size_t first, std::size_t count) {
            beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
        };
        hooks.rowsAppended = [this] { endInsertRows(); };
        hooks.rowChanged = [this](std::size_t row) {
            const int r = static_cast<int>(row);
            Q_EMIT dataChanged(index(r, 0), index(r, columnCount({}) - 1));
        };
        hooks.aboutToReset = [this] { beginResetModel(); };
        hooks.reset = [this] { endResetModel(); };
        m_list.SetHooks(std::move(hooks));
    }
    ~CallListModel() override { m_list.SetHooks({}); }
    CallListModel(const CallListModel&) = delete;
    CallListModel& operator=(const CallListModel&) = delete;

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_list.RowOrder().size());
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_list.VisibleColumns().size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole) {
            return {};
        }
        const CallRow row = m_list.Row(m_list.RowOrder()[static_cast<std::size_t>(index.row())]);
        const int id = m_list.VisibleColumns()[static_cast<std::size_t>(index.column())];
        return QString::fromStdString(m_list.CellText(id, &row));
    }

private:
    CallList& m_list;
};

/// Fails the running test with every warning the model tester gives.
void ReportToTest(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg) {
        ADD_FAILURE() << message.toStdString();
    }
}

const FixedTextSource& Texts() {
    static const FixedTextSource texts({{3350, "All months"},
                                        {3351, "Month sums"},
                                        {3352, "All users"},
                                        {3353, "All devices"},
                                        {3354, "All device types"},
                                        {3378, "All entries"},
                                        {3304, "April"},
                                        {3305, "May"},
                                        {3306, "June"}});
    return texts;
}

CallRecord Call(Time32 start, std::int32_t connected) {
    CallRecord r;
    r.kind = KindConnected;
    r.startTime = start;
    r.connectedSeconds = connected;
    r.price = 1.0f;
    r.userName = "jane";
    r.entryName = "Demo ISP";
    return r;
}

// Mid-month noons, far from any month's edge in every time zone.
constexpr Time32 kApril = 1'712'923'200;  // 2024-04-12 12:00 UTC
constexpr Time32 kMay = 1'715'515'200;    // 2024-05-12 12:00 UTC
constexpr Time32 kJune = 1'718'193'600;   // 2024-06-12 12:00 UTC

class CallListModelTest : public ::testing::Test {
protected:
    CallListModelTest() {
        EnsureFolder(m_folder);
        std::string april;
        for (const int seconds : {30, 10, 20}) {
            april += EncodeCallRecord(Call(kApril + seconds, seconds));
        }
        test::WriteFileOrDie(MonthFilePath(m_folder, 2024, 4), april);
        test::WriteFileOrDie(MonthFilePath(m_folder, 2024, 5), EncodeCallRecord(Call(kMay, 40)));
        m_previousHandler = qInstallMessageHandler(ReportToTest);
    }
    ~CallListModelTest() override { qInstallMessageHandler(m_previousHandler); }

    /// The texts of the model's column `column`, top row first.
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> out;
        for (int row = 0; row < m_model.rowCount({}); ++row) {
            out.push_back(m_model.index(row, column).data().toString().toStdString());
        }
        return out;
    }
    /// The model column showing the connected time.
    int ConnectedColumn() const {
        const auto& visible = m_list.VisibleColumns();
        return static_cast<int>(std::find(visible.begin(), visible.end(), ColConnected) -
                                visible.begin());
    }

    test::TempHome m_home;
    std::string m_folder = m_home.File("LogData");
    ManualClock m_clock{kJune};
    Settings m_settings{Texts()};
    CallList m_list{m_settings, Texts(), m_folder, m_clock};
    CallListModel m_model{m_list};
    QAbstractItemModelTester m_tester{&m_model,
                                      QAbstractItemModelTester::FailureReportingMode::Warning};
    QtMessageHandler m_previousHandler = nullptr;
};

TEST_F(CallListModelTest, AppendSortAndReloadKeepTheModelConsistent) {
    ASSERT_LT(ConnectedColumn(), m_model.columnCount({}));
    m_list.Reload();
    EXPECT_EQ(Column(ConnectedColumn()),
              (std::vector<std::string>{"00:00:30", "00:00:10", "00:00:20", "00:00:40"}));

    m_list.AddNewRecord(Call(kJune, 5), true);
    m_list.SortByColumn(ConnectedColumn());
    EXPECT_EQ(
        Column(ConnectedColumn()),
        (std::vector<std::string>{"00:00:05", "00:00:10", "00:00:20", "00:00:30", "00:00:40"}));
    // A call logged after a sort joins at the end, where the model was told it would.
    m_list.AddNewRecord(Call(kJune + 60, 15), true);
    EXPECT_EQ(Column(ConnectedColumn()).back(), "00:00:15");
    m_list.SortByColumn(ConnectedColumn());  // the other way
    EXPECT_EQ(Column(ConnectedColumn()).front(), "00:00:40");
    m_list.Reload();
    EXPECT_EQ(m_model.rowCount({}), 4);  // the June calls were only shown, never logged
}

TEST_F(CallListModelTest, MonthSumsChangeTheRowWhereTheSortedLineStands) {
    m_settings.Months.items.push_back(MonthItem{kMonthSums, 0, 0});
    m_list.Filter().Select(FilterListId::Months,
                           static_cast<int>(m_settings.Months.items.size() - 1));
    m_list.Reload();
    ASSERT_EQ(Column(ConnectedColumn()), (std::vector<std::string>{"00:01:00", "00:00:40"}));
    m_list.SortByColumn(ConnectedColumn());  // May's line first, April's second

    std::vector<int> changed;
    QObject::connect(&m_model, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex& to) {
                         EXPECT_EQ(from.row(), to.row());
                         changed.push_back(from.row());
                     });
    m_list.AddNewRecord(Call(kApril + 3600, 60), true);
    EXPECT_EQ(changed, std::vector<int>{1});
    EXPECT_EQ(Column(ConnectedColumn()), (std::vector<std::string>{"00:00:40", "00:02:00"}));

    // The first call of a month without a line appends one, then adds to it.
    m_list.AddNewRecord(Call(kJune, 7), true);
    EXPECT_EQ(changed, (std::vector<int>{1, 2}));
    EXPECT_EQ(Column(ConnectedColumn()),
              (std::vector<std::string>{"00:00:40", "00:02:00", "00:00:07"}));
}

}  // namespace
}  // namespace ov
