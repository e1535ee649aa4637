#pragma once

#include <QString>
#include <vector>

class TStatList;

// What the favourites manager edits: the available methods of the registry under their groups, each
// with the text it is shown by (its name) and its tick (favourite). Nothing reaches the registry
// before apply(), so a dialog closed with Cancel changes nothing.
class TFavouritesModel {
public:
    struct Node {
        int method = -1; // index in the registry
        QString text;
        bool ticked = false;
    };
    struct Group {
        QString caption;
        std::vector<Node> nodes;
    };

    // The groups in the order their first method comes in the registry; a method of a group is listed
    // under the group's caption. Texts are the display titles, ticks the favourite flags.
    void build(const TStatList &list);

    const std::vector<Group> &groups() const { return m_groups; }
    int methodCount() const;
    bool empty() const { return m_groups.empty(); }
    Node &node(int group, int index) { return m_groups[size_t(group)].nodes[size_t(index)]; }
    const Node &node(int group, int index) const { return m_groups[size_t(group)].nodes[size_t(index)]; }

    void toggle(int group, int index);
    void tickAll(bool ticked);
    void tickGroup(int group, bool ticked);
    // The node's text becomes the method's own title.
    void resetName(const TStatList &list, int group, int index);
    // The node's text as the user reads it: the method's full title for that name (a shredding
    // method's formula where "%s" stands).
    QString shownText(const TStatList &list, int group, int index) const;
    // A name the user typed over the shown text; an empty one gives the method's own title back.
    void rename(const TStatList &list, int group, int index, const QString &typed);
    // Takes the names of the methods as the registry holds them now (read from a file into it).
    void takeNames(const TStatList &list);

    // Names and ticks into the registry: a name equal to the method's title keeps no caption of its
    // own; then the all-favourites flag is worked out (no method ticked counts as all).
    void apply(TStatList &list) const;
    // Only the names.
    void applyNames(TStatList &list) const;

private:
    std::vector<Group> m_groups;
};
