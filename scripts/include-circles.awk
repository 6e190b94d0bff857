# Finds circles in an include graph. Each input line is one include between product files:
#   <from node> <to node> <file:line> includes <file included>
# where a node is a file's path without its extension (a header and its source are one node).
# Prints every group of nodes that reach each other through includes (Tarjan's strongly
# connected components) with the includes inside the group, and exits 1 when there is one.
# Plain POSIX awk: Debian's default mawk runs it.

function visit(v,    i, w) {
    index_of[v] = next_index
    low[v] = next_index
    next_index++
    stack[++top] = v
    on_stack[v] = 1
    for (i = 1; i <= degree[v]; i++) {
        w = edge[v, i]
        if (!(w in index_of)) {
            visit(w)
            if (low[w] < low[v]) low[v] = low[w]
        } else if (on_stack[w] && index_of[w] < low[v]) {
            low[v] = index_of[w]
        }
    }
    if (low[v] == index_of[v]) {
        size = 0
        do {
            w = stack[top--]
            on_stack[w] = 0
            member[++size] = w
        } while (w != v)
        if (size > 1) report(size)
    }
}

function report(size,    i, j, k, line, swap, to) {
    # Sorted, so the same circle reads the same from run to run.
    for (i = 2; i <= size; i++)
        for (j = i; j > 1 && member[j - 1] > member[j]; j--) {
            swap = member[j]; member[j] = member[j - 1]; member[j - 1] = swap
        }
    for (i = 1; i <= size; i++) in_group[member[i]] = 1
    line = member[1]
    for (i = 2; i <= size; i++) line = line ", " member[i]
    print "circle: " line
    for (i = 1; i <= size; i++)
        for (k = 1; k <= degree[member[i]]; k++) {
            to = edge[member[i], k]
            if (to in in_group) print "    " where[member[i], to]
        }
    for (i = 1; i <= size; i++) delete in_group[member[i]]
    circles++
}

NF >= 5 && $1 != $2 && !(($1, $2) in where) {
    where[$1, $2] = $3 " " $4 " " $5
    edge[$1, ++degree[$1]] = $2
    if (!($1 in listed)) {
        listed[$1] = 1
        nodes[++count] = $1
    }
}

END {
    for (n = 1; n <= count; n++)
        if (!(nodes[n] in index_of)) visit(nodes[n])
    exit (circles > 0)
}
