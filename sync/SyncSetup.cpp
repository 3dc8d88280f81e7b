// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/SyncSetup.h"

#include "store/db/StoreError.h"
#include "store/db/TableAccess.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskWrite.h"
#include "store/sync/SyncState.h"
#include "sync/DavHref.h"

#include <QRegularExpression>

namespace {

const TCollection* ListNamed(const QList<TCollection>& lists, const std::string& name) {
    const QString wanted = QString::fromStdString(name);
    for (const TCollection& list : lists)
        if (list.displayName.trimmed() == wanted)
            return &list;
    for (const TCollection& list : lists)
        if (list.displayName.trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return &list;
    return nullptr;
}

// Where a new list goes: the calendar home, else beside the one list the user gave.
QUrl NewListUrl(const TDiscovery& found, const QString& name) {
    QUrl home = found.home;
    if (home.isEmpty() && !found.collections.isEmpty()) {
        home = found.collections.first().url;
        home.setPath(home.path().section('/', 0, -3) + "/");
    }
    QString slug = name.toLower();
    slug.replace(QRegularExpression("[^a-z0-9]+"), "-");
    slug = slug.section('-', 0, -1, QString::SectionSkipEmpty);
    if (slug.isEmpty())
        slug = "tasks";
    QString candidate = slug;
    for (int n = 2;; ++n) {
        const QUrl url = AsCollection(HrefUrl(home, CanonicalHref(home, candidate)));
        const QString href = CanonicalHref(url, url.toString());
        const bool taken = std::any_of(
            found.collections.begin(), found.collections.end(),
            [&](const TCollection& list) { return list.href == href || list.href == href + "/"; });
        if (!taken)
            return url;
        candidate = slug + "-" + QString::number(n);
    }
}

} // namespace

TDavOptions AccountOptions(const TSyncAccount& account, const QString& password) {
    TDavOptions options;
    options.user = QString::fromStdString(account.user);
    options.password = password;
    options.allowInsecureHttp = account.allowInsecureHttp;
    return options;
}

void ReadAccountPassword(const TSyncAccount& account, QObject* context, TPasswordDone done) {
    if (!account.passwordCommand.empty())
        RunPasswordCommand(QString::fromStdString(account.passwordCommand), context,
                           std::move(done));
    else
        ReadSecret(
            SecretKey(QString::fromStdString(account.server), QString::fromStdString(account.user)),
            context, std::move(done));
}

QList<TCollection> TaskLists(const TDiscovery& found) {
    QList<TCollection> lists;
    for (const TCollection& collection : found.collections)
        if (collection.HoldsTodos())
            lists.append(collection);
    return lists;
}

std::vector<TListMapping> MapLists(const QList<TCollection>& lists,
                                   const std::vector<TMyRec1>& categories) {
    std::vector<TMyRec1> free = categories;
    size_t count = categories.size();
    std::vector<TListMapping> mappings;
    for (const TCollection& list : lists) {
        const std::string name = list.displayName.toStdString();
        if (const TMyRec1* category = FindCategoryByName(free, name)) {
            mappings.push_back({TListMapping::Kind::Category, category->strName});
            free.erase(free.begin() + (category - free.data()));
        } else if (count < MaxCategories) {
            mappings.push_back({TListMapping::Kind::NewCategory, {}});
            ++count;
        } else {
            mappings.push_back({TListMapping::Kind::NoRoom, {}});
        }
    }
    return mappings;
}

std::vector<std::string> MappingTexts(const QList<TCollection>& lists,
                                      const std::vector<TMyRec1>& categories) {
    std::vector<std::string> texts;
    for (const TListMapping& mapping : MapLists(lists, categories))
        switch (mapping.kind) {
        case TListMapping::Kind::Category:
            texts.push_back("category " + mapping.category);
            break;
        case TListMapping::Kind::NewCategory:
            texts.push_back("a new category");
            break;
        case TListMapping::Kind::NoRoom:
            texts.push_back("not synced: no room for an eleventh category");
            break;
        }
    return texts;
}

std::vector<TMyRec1> CategoriesWithoutList(const QList<TCollection>& lists,
                                           const std::vector<TMyRec1>& categories) {
    std::vector<TMyRec1> without;
    for (const TMyRec1& category : categories)
        if (!ListNamed(lists, category.strName))
            without.push_back(category);
    return without;
}

void MapListsAgain(TDM& dm, const std::vector<std::string>& hrefs) {
    InTransaction(dm, [&](TTableCursor&) {
        for (const TSyncListRow& row : ReadSyncLists(dm))
            if (row.state != TSyncListState::Synced &&
                std::find(hrefs.begin(), hrefs.end(), row.href) != hrefs.end())
                DeleteSyncList(dm, row.href);
    });
}

std::vector<std::string> ChooseLists(TBlockingCalDav& client, const TDiscovery& found,
                                     const std::vector<TMyRec1>& categories,
                                     const std::vector<std::string>& names,
                                     std::vector<std::string>& made) {
    const QList<TCollection> lists = TaskLists(found);
    std::vector<std::string> hrefs;
    const auto add = [&](const QString& href) {
        if (std::find(hrefs.begin(), hrefs.end(), href.toStdString()) == hrefs.end())
            hrefs.push_back(href.toStdString());
    };
    for (const std::string& name : names) {
        if (const TCollection* list = ListNamed(lists, name)) {
            add(list->href);
            continue;
        }
        const TMyRec1* category = FindCategoryByName(categories, name);
        if (!category)
            throw StoreError("The server has no task list \"" + name +
                             "\", and there is no category of that name here to make one of.");
        const QString title = QString::fromStdString(category->strName);
        const TDavResult<TCollection> list = client.MakeCalendar(NewListUrl(found, title), title);
        if (!list.Ok())
            throw StoreError(
                "The list \"" + category->strName +
                "\" could not be made on the server: " + list.error.message.toStdString());
        add(list.value.href);
        made.push_back(category->strName);
    }
    return hrefs;
}

std::vector<std::string> SplitNames(const std::string& text) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string name = TrimName(text.substr(start, end - start));
        if (!name.empty())
            names.push_back(name);
        start = end + 1;
    }
    return names;
}
