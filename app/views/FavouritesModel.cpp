#include "app/views/FavouritesModel.h"

#include "lottery/stats/StatClass.h"
#include "lottery/stats/StatList.h"

#include <algorithm>
#include <iterator>

void TFavouritesModel::build(const TStatList &list)
{
    m_groups.clear();
    for (int i = 0; i < list.MethodCount(); ++i) {
        if (!list.MethodAvailable(i))
            continue;
        const TStatMethod &m = list.GetMethod(i);
        const QString caption = GroupCaption(m.StatClass->Group);
        auto it = std::find_if(m_groups.begin(), m_groups.end(),
                               [&caption](const Group &g) { return g.caption == caption; });
        if (it == m_groups.end()) {
            m_groups.push_back({caption, {}});
            it = std::prev(m_groups.end());
        }
        it->nodes.push_back({i, m.MethodDisplayTitle(), list.MethodIsFavorite(i)});
    }
}

int TFavouritesModel::methodCount() const
{
    int count = 0;
    for (const Group &g : m_groups)
        count += static_cast<int>(g.nodes.size());
    return count;
}

void TFavouritesModel::toggle(int group, int index)
{
    Node &n = node(group, index);
    n.ticked = !n.ticked;
}

void TFavouritesModel::tickAll(bool ticked)
{
    for (int g = 0; g < static_cast<int>(m_groups.size()); ++g)
        tickGroup(g, ticked);
}

void TFavouritesModel::tickGroup(int group, bool ticked)
{
    for (Node &n : m_groups[size_t(group)].nodes)
        n.ticked = ticked;
}

void TFavouritesModel::resetName(const TStatList &list, int group, int index)
{
    Node &n = node(group, index);
    n.text = list.GetMethod(n.method).MethodTitle();
}

QString TFavouritesModel::shownText(const TStatList &list, int group, int index) const
{
    const Node &n = node(group, index);
    return list.GetMethod(n.method).FullTitleOf(n.text);
}

void TFavouritesModel::rename(const TStatList &list, int group, int index, const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty()) {
        resetName(list, group, index);
        return;
    }
    Node &n = node(group, index);
    n.text = list.GetMethod(n.method).NameOfFullTitle(text);
}

void TFavouritesModel::takeNames(const TStatList &list)
{
    for (Group &g : m_groups)
        for (Node &n : g.nodes)
            n.text = list.GetMethod(n.method).MethodDisplayTitle();
}

void TFavouritesModel::applyNames(TStatList &list) const
{
    for (const Group &g : m_groups)
        for (const Node &n : g.nodes) {
            TStatMethod &m = list.GetMethod(n.method);
            const QString text = n.text.trimmed();
            m.Caption = text.isEmpty() || text == m.MethodTitle() ? QString() : text;
        }
}

void TFavouritesModel::apply(TStatList &list) const
{
    applyNames(list);
    for (const Group &g : m_groups)
        for (const Node &n : g.nodes)
            list.GetMethod(n.method).Favorite = n.ticked;
    list.UpdateAllFavoritesFlag();
}
