# Lists the functions and variables a C++ file names at namespace scope, one a
# line: "D name file line" for a declaration only (a prototype, an extern
# variable) and "F name file line" for a definition. Names inside classes and
# function bodies are skipped; so are preprocessor lines, comments and the
# insides of string and character literals. Usage: awk -f declarations.awk FILE...
BEGIN {
  split("if for while switch return sizeof decltype alignas static_assert void int char " \
        "bool operator using typedef friend template", words, " ")
  keyword["__attribute__"] = 1
  for (i in words) keyword[words[i]] = 1
}

FNR == 1 {
  depth = 0; top = 0; text = ""; start = 0; comment = 0; macro = 0
}

# The last identifier of s: the name a declarator ends on.
function last_name(s) {
  sub(/[[:space:]]+$/, "", s)
  if (!match(s, /[A-Za-z_][A-Za-z0-9_]*$/)) return ""
  return substr(s, RSTART)
}

# s without template arguments and [[attributes]].
function plain(s,   n) {
  gsub(/\[\[[^]]*\]\]/, " ", s)
  n = 1
  while (n) n = gsub(/<[^<>()]*>/, " ", s)
  return s
}

function emit(kind, name) {
  if (name != "" && !(name in keyword)) print kind, name, FILENAME, start
}

# One statement at namespace scope, ended by ";" or by "{" (end holds which).
function statement(s, end,   p, head, eq, n, k, part) {
  s = plain(s)
  gsub(/[[:space:]]+/, " ", s)
  sub(/^ /, "", s)
  if (s == "" || s ~ /^(typedef|using|static_assert|friend|namespace|return) /) return
  if (s ~ /^(struct|class|union|enum)( |$)/ && s !~ /[(=]/) return
  p = index(s, "(")
  eq = index(s, "=")
  if (p > 0 && (eq == 0 || p < eq)) {
    # A function: the name stands before the first parenthesis.
    head = substr(s, 1, p - 1)
    if (head ~ /operator/ || head ~ /::[ ~]*[A-Za-z_0-9]*[ ]*$/) return
    if (end == "{") emit("F", last_name(head))
    else if (FILENAME ~ /\.h$/) emit("D", last_name(head))
    return
  }
  # Variables, one or more: each name stands before "=", "[", "{" or a comma.
  if (s ~ /^static / || s ~ /::[ ]*[A-Za-z_0-9]*[ ]*(=|\[|$)/) return
  if (s ~ /^extern / && (FILENAME !~ /\.h$/ || eq > 0)) return
  n = split(s, part, ",")
  for (k = 1; k <= n; k++) {
    head = part[k]
    sub(/[=[{].*$/, "", head)
    emit(s ~ /^extern / ? "D" : "F", last_name(head))
  }
}

{
  line = $0
  if (macro || (!comment && line ~ /^[[:space:]]*#/)) {
    macro = line ~ /\\$/
    next
  }
  out = ""
  n = length(line)
  for (i = 1; i <= n; i++) {
    c = substr(line, i, 1)
    if (comment) {
      if (c == "*" && substr(line, i + 1, 1) == "/") { comment = 0; i++ }
      continue
    }
    if (c == "/" && substr(line, i + 1, 1) == "/") break
    if (c == "/" && substr(line, i + 1, 1) == "*") { comment = 1; i++; continue }
    if (c == "\"" || c == "'") {
      # Skip the literal, escapes and all.
      for (j = i + 1; j <= n; j++) {
        d = substr(line, j, 1)
        if (d == "\\") { j++; continue }
        if (d == c) break
      }
      out = out c c
      i = j
      continue
    }
    out = out c
  }
  n = length(out)
  for (i = 1; i <= n; i++) {
    c = substr(out, i, 1)
    if (depth == 0 && text ~ /^[[:space:]]*$/ && c !~ /[[:space:];{}]/) start = FNR
    if (c == "{") {
      if (depth == 0) {
        # A namespace or an extern "C" block keeps its insides at namespace scope.
        if (text ~ /^[[:space:]]*(namespace|extern[[:space:]]*"")[^;]*$/) { kind[++top] = "n"; text = ""; continue }
        statement(text, "{")
        text = ""
      }
      kind[++top] = "b"; depth++
      continue
    }
    if (c == "}") {
      if (top > 0 && kind[top--] == "b") depth--
      if (depth == 0) text = ""
      continue
    }
    if (depth > 0) continue
    if (c == ";") { statement(text, ";"); text = ""; continue }
    text = text c
  }
  if (depth == 0) text = text " "
}
