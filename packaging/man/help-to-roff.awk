# Turns the administrator program's help texts into its manual page (roff, man macros).
#
# Input: the overview ("--help"), then each command's help after a line "\036COMMAND". Every help
# text keeps one form: "Usage:" lines; paragraphs; a paragraph beginning "Exit status:"; headings
# ending in a colon, followed by items indented by two blanks ("TERM  description", the
# description going on in lines indented deeper). Under "Examples:" an item is a sentence and the
# lines indented deeper are the commands it shows.
#
# Variables: version (the package's), date (the page's date).

BEGIN {
    target = "overview"
    mode = "text"
    order = "SYNOPSIS|DESCRIPTION|COMMANDS|EXIT STATUS|ENVIRONMENT|FILES|EXAMPLES"
}

# Roff's special characters: the backslash, and the hyphen, which would otherwise print as a
# typographic hyphen and break options copied from the page.
function esc(s) {
    gsub(/\\/, "\\e", s)
    gsub(/-/, "\\-", s)
    return s
}

# A text line that begins with a dot or a quote would be read as a request.
function textline(s) {
    return (s ~ /^[.']/) ? "\\&" s : s
}

function trim(s) {
    sub(/^ +/, "", s)
    sub(/ +$/, "", s)
    return s
}

function emit(section, text) {
    buffer[section] = buffer[section] text "\n"
}

# Usage lines and option terms: the first `bold` words (program, command) and options in bold,
# placeholders (FOLDER, SERVER) in italics; brackets and punctuation stay plain.
function words(s, bold,    n, w, i, out, t, pre, post) {
    n = split(trim(s), w, / +/)
    out = ""
    for (i = 1; i <= n; i++) {
        t = w[i]
        pre = ""
        post = ""
        while (t ~ /^[[(<]/) {
            pre = pre substr(t, 1, 1)
            t = substr(t, 2)
        }
        while (t ~ /[])>,.]$/) {
            post = substr(t, length(t)) post
            t = substr(t, 1, length(t) - 1)
        }
        if (t != "" && (i <= bold || t ~ /^-/))
            t = "\\fB" esc(t) "\\fR"
        else if (t ~ /^[A-Z][A-Z_]*[A-Z]$/)
            t = "\\fI" esc(t) "\\fR"
        else
            t = esc(t)
        out = out (i > 1 ? " " : "") pre t post
    }
    return out
}

function term(s) {
    if (listsection == "ENVIRONMENT")
        return "\\fB" esc(s) "\\fR"
    if (listsection == "FILES")
        return "\\fI" esc(s) "\\fR"
    return words(s, heading == "Commands" ? 1 : 0)
}

function flush_paragraph(    rest) {
    if (paragraph == "")
        return
    if (paragraph ~ /^Exit status: /) {
        rest = substr(paragraph, 14)
        if (target == "overview")
            emit("EXIT STATUS", textline(esc(rest)))
        else
            emit("COMMANDS", ".PP\n\\fBExit status:\\fR " esc(rest))
    } else if (target == "overview" && name == "") {
        name = paragraph
        sub(/\.$/, "", name)
        name = tolower(substr(name, 1, 1)) substr(name, 2)
    } else {
        emit(target == "overview" ? "DESCRIPTION" : "COMMANDS", ".PP\n" textline(esc(paragraph)))
    }
    paragraph = ""
}

function flush_item() {
    if (item != "")
        emit(listsection, textline(esc(item)))
    item = ""
    initem = 0
}

function flush_literal() {
    if (literal)
        emit(listsection, ".fi\n.RE")
    literal = 0
}

function flush_all() {
    flush_paragraph()
    flush_item()
    flush_literal()
}

function start_list(title) {
    mode = "list"
    heading = title
    if (target != "overview") {
        listsection = "COMMANDS"
        emit(listsection, ".PP\n" esc(title) ":")
    } else if (title == "Environment" || title == "Files" || title == "Examples") {
        listsection = toupper(title)
    } else {
        listsection = "DESCRIPTION"
        emit(listsection, ".PP\n" esc(title) ":")
    }
}

function usage_line(s) {
    if (target == "overview") {
        emit("SYNOPSIS", words(s, 1) "\n.br")
        synopsis = 1
    } else {
        emit("COMMANDS", words(s, 2) "\n.br")
    }
}

function list_line(line,    indent, text) {
    match(line, /^ */)
    indent = RLENGTH
    text = trim(line)
    if (listsection == "EXAMPLES") {
        if (indent <= 2) {
            flush_literal()
            emit(listsection, ".PP\n" textline(esc(text)))
        } else {
            if (!literal)
                emit(listsection, ".RS 4\n.nf")
            literal = 1
            emit(listsection, textline(esc(text)))
        }
        return
    }
    if (indent > 2 && initem) {
        item = (item == "") ? text : item " " text
        return
    }
    flush_item()
    initem = 1
    if (match(text, /  +/)) {
        emit(listsection, ".TP\n" term(substr(text, 1, RSTART - 1)))
        item = substr(text, RSTART + RLENGTH)
    } else {
        emit(listsection, ".TP\n" term(text))
        item = ""
    }
}

/^\036/ {
    flush_all()
    target = substr($0, 2)
    mode = "text"
    emit("COMMANDS", ".SS " esc(target))
    next
}

/^Usage: / {
    flush_all()
    mode = "usage"
    if (target != "overview")
        emit("COMMANDS", ".PP")
    usage_line(substr($0, 8))
    next
}

/^$/ {
    flush_all()
    mode = "text"
    next
}

mode == "usage" && /^ / {
    usage_line($0)
    next
}

/^[A-Z][A-Za-z ]*:$/ {
    flush_all()
    start_list(substr($0, 1, length($0) - 1))
    next
}

mode == "list" && /^  / {
    list_line($0)
    next
}

{
    paragraph = (paragraph == "") ? $0 : paragraph " " trim($0)
}

END {
    flush_all()
    if (name == "" || !synopsis) {
        print "help-to-roff: the overview has no usage or no description" > "/dev/stderr"
        exit 1
    }
    print ".TH INVENTORY\\-REQUEST\\-ADMIN 1 \"" date "\" \"inventory\\-request " version "\" \"User Commands\""
    print ".nh"
    print ".SH NAME"
    print "inventory\\-request\\-admin \\- " esc(name)
    n = split(order, sections, "|")
    for (i = 1; i <= n; i++) {
        if (buffer[sections[i]] == "")
            continue
        print ".SH \"" sections[i] "\""
        printf "%s", buffer[sections[i]]
    }
    print ".SH \"SEE ALSO\""
    print "\\fBinventory\\-request\\fR(1), \\fBpg_dump\\fR(1), \\fBpsql\\fR(1)"
}
