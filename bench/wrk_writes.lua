-- wrk: write requests to roamlog-server, "add" (records) or "post" (forum posts), given as
-- the script's argument:  wrk -s wrk_writes.lua URL -- add
-- Each request comes from an installation of its own, so that neither the per-installation
-- limit nor the duplicate or alias checks turn one away. The escaped texts are made once:
-- the client's own work per request stays small next to the server's.
local threads = 0

function setup(thread)
  threads = threads + 1
  thread:set("tid", threads)
end

local function escape(text)
  return (text:gsub("[^%w%-%._~]", function(c) return string.format("%%%02X", string.byte(c)) end))
end

local kind = "add"
local counter = 0
local fixed

function init(args)
  kind = args[1] or "add"
  if kind == "add" then
    local fields = {
      "Hotel Wrk", "Good", "Hotel", "Quiet room near the station, breakfast from 7",
      "Front desk", "33", "0145678901", "", "France", "Ile-de-France", "Paris",
      "12 rue des Lilas", "Breakfast", "None", "Yes", "A friend", "Moderate", "1p:$90",
      "3", "05-14-2026", "desk@example.org", "http://example.org/", "05-15-2026 10:11:12", "*",
    }
    fixed = escape(table.concat(fields, "|") .. "|")
  else
    fixed = escape("Please add a map of the places I visited, with the dates & prices.\r\nPost")
  end
end

function request()
  counter = counter + 1
  local mac = tid .. string.format("%08d", counter)
  if kind == "add" then
    -- Every other record is shared anonymously, the others under an alias of their own.
    local user = (counter % 2 == 0) and ("walker" .. mac) or ""
    return wrk.format("GET", "/cgi-bin/roamlog/roamlogdb.cgi?mac=" .. mac .. "&usr=" .. user ..
                      "&cmd=add&param=" .. fixed)
  end
  return wrk.format("GET", "/cgi-bin/roamlog/roamlogdb.cgi?path=post&param=" .. fixed .. "%20" .. mac ..
                    "&usr=poster%20" .. mac .. "&mac=" .. mac .. "&param2=05-15-2026%2010%3A11%3A12")
end
